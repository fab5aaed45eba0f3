#include "model/RecordedTable.hpp"

namespace recmod {

double SexFrequencyOf(const PopulationState& population, const HaplotypeTables& tables,
                      std::int16_t demes) {
  const int slot = RecordedSlot(demes);
  double sum = 0.0;
  for (int h = 1; h <= tables.HaplotypeCount; ++h) sum = sum + population.Freq(slot, 1, h);
  return sum;
}

ModifierPresence ModifierPresenceOf(const PopulationState& population, int haplotypeCount,
                                    std::int16_t demes) {
  ModifierPresence presence;
  for (int deme = 1; deme <= demes; ++deme) {
    for (int h = 1; h <= haplotypeCount; ++h) {
      presence.sex = presence.sex || population.Freq(0, deme, h) != 0.0;
      presence.asex = presence.asex || population.Freq(1, deme, h) != 0.0;
    }
  }
  return presence;
}

}  // namespace recmod
