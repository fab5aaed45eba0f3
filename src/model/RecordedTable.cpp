#include "model/RecordedTable.hpp"

namespace recmod {

double SexFrequencyOf(const PopulationState& population, const HaplotypeTables& tables,
                      std::int16_t demes) {
  const int slot = RecordedSlot(demes);
  double sum = 0.0;
  for (int h = 1; h <= tables.HaplotypeCount; ++h) sum = sum + population.Freq(slot, 1, h);
  return sum;
}

}  // namespace recmod
