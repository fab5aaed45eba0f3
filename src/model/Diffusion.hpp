#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// Interdemic diffusion of genes: the mean over demes of every haplotype and
// class is kept in slots 3 and 4 of deme 1 (what the recorder shows), every
// deme receives Diffusion times that mean as immigrants (drawn as individuals
// in a finite population), and every deme and the means are renormalised.
// Does nothing with one deme.
void DiffuseBetweenDemes(const ModelParameters& params, const HaplotypeTables& tables,
                         PopulationState& population, RandomDraw& draw);

}  // namespace recmod
