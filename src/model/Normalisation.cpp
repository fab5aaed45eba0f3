#include "model/Normalisation.hpp"

#include <string>

namespace recmod {

void NormaliseDeme(const HaplotypeTables& tables, PopulationState& population, int deme,
                   int firstSlot) {
  const int count = tables.HaplotypeCount;
  double total = 0.0;
  for (int k = firstSlot; k <= firstSlot + 1; ++k) {
    for (int h = 1; h <= count; ++h) {
      double& f = population.Freq(k, deme, h);
      if (f < 0.0) f = 0.0;
      total = total + f;
    }
  }
  if (total == 1.0) return;
  if (!(total > 0.0)) {
    throw RuntimeError(ErrorKind::EmptyDeme,
                       "deme " + std::to_string(deme) + " has no positive frequency left");
  }
  for (int k = firstSlot; k <= firstSlot + 1; ++k) {
    for (int h = 1; h <= count; ++h) {
      double& f = population.Freq(k, deme, h);
      f = f / total;
    }
  }
}

}  // namespace recmod
