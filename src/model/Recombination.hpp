#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// One generation of recombination in every deme. R+ recombines in full, R-
// only in the fraction z; the recombining individuals form one pool whose
// allele frequencies define a linkage-equilibrium distribution, and each
// recombining part moves halfway towards it. With z = 0 the pool is R+ alone;
// with z < 0 nothing recombines.
void Recombine(const ModelParameters& params, const HaplotypeTables& tables,
               PopulationState& population, RandomDraw& draw);

}  // namespace recmod
