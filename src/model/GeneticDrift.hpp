#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// Genetic drift: every frequency of every deme is redrawn on its own as a
// count of individuals out of N, in the order deme, slot, haplotype, and each
// deme is renormalised.
void ApplyGeneticDrift(const ModelParameters& params, const HaplotypeTables& tables,
                       PopulationState& population, RandomDraw& draw);

}  // namespace recmod
