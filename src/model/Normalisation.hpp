#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"

namespace recmod {

// Restores the invariant of one deme: negative entries of slots s and s + 1
// become 0, and both slots are divided by their joint sum unless that sum is
// exactly 1. A pair with no positive entry cannot be rescaled and raises an
// "Empty deme" error instead of dividing by 0.
void NormaliseDeme(const HaplotypeTables& tables, PopulationState& population, int deme,
                   int firstSlot);

}  // namespace recmod
