#pragma once

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// The whole-number population size of exact sampling: N rounded to the
// nearest integer.
double WholePopulationSize(double populationSize);

// Exact Wright-Fisher drift: each deme's 2 x HaplotypeCount frequencies of
// slots 0 and 1 become one multinomial sample of N individuals (N rounded to
// a whole number), drawn as a chain of conditional binomials, divided by N.
// The R+ share of a deme is thus unbiased: its expectation after the step is
// its value before.
void ApplyMultinomialDrift(const ModelParameters& params, const HaplotypeTables& tables,
                           PopulationState& population, RandomDraw& draw);

// One binomial draw of n trials with success probability p (0 <= p <= 1):
// exact for n up to 2^32; beyond, for the rarer outcome, the Poisson
// approximation while its mean is at most 1E6 and the normal one above.
double DrawBinomial(RandomDraw& draw, double n, double p);

}  // namespace recmod
