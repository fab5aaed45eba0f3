#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/UniformGenerator.hpp"

namespace recmod::testing {

// Writes haplotypes 1, 2, ... of one slot of one deme.
void SetSlot(PopulationState& population, int slot, int deme, std::initializer_list<double> values);

// The invariant of the frequency table: slots `firstSlot` and `firstSlot` + 1
// of the deme sum to 1 within `tolerance` over haplotypes 1..HaplotypeCount,
// and no entry is negative or not a number.
::testing::AssertionResult DemeNormalised(const PopulationState& population,
                                          const HaplotypeTables& tables, int deme,
                                          int firstSlot = 0, double tolerance = 1e-12);

// True when `after` is `before` moved on by exactly `draws` numbers.
bool AdvancedBy(const UniformGenerator& before, const UniformGenerator& after, int draws);

}  // namespace recmod::testing
