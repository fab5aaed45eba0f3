#include "support/FrequencyChecks.hpp"

#include <cmath>

namespace recmod::testing {

void SetSlot(PopulationState& population, int slot, int deme,
             std::initializer_list<double> values) {
  int h = 1;
  for (double value : values) population.Freq(slot, deme, h++) = value;
}

::testing::AssertionResult DemeNormalised(const PopulationState& population,
                                          const HaplotypeTables& tables, int deme, int firstSlot,
                                          double tolerance) {
  double total = 0.0;
  for (int k = firstSlot; k <= firstSlot + 1; ++k) {
    for (int h = 1; h <= tables.HaplotypeCount; ++h) {
      const double f = population.Freq(k, deme, h);
      if (std::isnan(f) || f < 0.0) {
        return ::testing::AssertionFailure()
               << "deme " << deme << " slot " << k << " haplotype " << h << " holds " << f;
      }
      total += f;
    }
  }
  if (std::fabs(total - 1.0) > tolerance) {
    return ::testing::AssertionFailure() << "deme " << deme << " slots " << firstSlot << "/"
                                         << firstSlot + 1 << " sum to " << total;
  }
  return ::testing::AssertionSuccess();
}

bool AdvancedBy(const UniformGenerator& before, const UniformGenerator& after, int draws) {
  UniformGenerator expected = before;
  for (int i = 0; i < draws; ++i) expected.NextUniform();
  UniformGenerator actual = after;
  // Two streams that agree on a few numbers in a row stand at the same place.
  for (int i = 0; i < 4; ++i) {
    if (expected.NextUniform() != actual.NextUniform()) return false;
  }
  return true;
}

}  // namespace recmod::testing
