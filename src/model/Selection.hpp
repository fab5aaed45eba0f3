#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// Haploid selection on both modifier classes alike: every haplotype but "ab"
// (or "abc") gains its coefficient S, DoubleMutantSelection or
// TripleMutantSelection times its frequency, drawn through DrawFrequency, and
// each deme is renormalised so that both classes compete in one pool.
void ApplySelection(const ModelParameters& params, const HaplotypeTables& tables,
                    PopulationState& population, RandomDraw& draw);

}  // namespace recmod
