#pragma once

#include <cstdint>

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"

namespace recmod {

// The table a run shows, reports and is judged by: the frequencies of deme 1
// with one deme (slots 0 and 1), the means over the demes otherwise (slots 3
// and 4 of deme 1), R+ in the first slot and R- in the second.
constexpr int RecordedSlot(std::int16_t demes) {
  return demes <= 1 ? 0 : 3;
}

// The total frequency of R+ in the recorded table, its entries added from 0
// in haplotype order: the result of a run after its last generation.
double SexFrequencyOf(const PopulationState& population, const HaplotypeTables& tables,
                      std::int16_t demes);

// Which classes of the modifier still have carriers in some deme: R+ (slot
// 0) and R- (slot 1). A class without carriers has every entry exactly 0,
// and stays so: no step of the model makes a modifier allele from nothing.
struct ModifierPresence {
  bool sex = false;
  bool asex = false;
};
ModifierPresence ModifierPresenceOf(const PopulationState& population, int haplotypeCount,
                                    std::int16_t demes);

}  // namespace recmod
