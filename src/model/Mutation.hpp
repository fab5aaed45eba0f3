#pragma once

#include <array>

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"

namespace recmod {

struct ModelParameters;

// Probabilities of the mutation transitions, declared bounds 0..12; entries
// 1..6 are used with two loci and 1..12 with three.
struct MutationCoefficients {
  static constexpr int kMax = 12;
  std::array<double, kMax + 1> value{};
  double At(int index) const {
    if (index < 0 || index > kMax) ThrowSubscriptOutOfRange("MutationCoefficients", index);
    return value[static_cast<std::size_t>(index)];
  }
};

// Builds the coefficients from u (forward, lower to upper case) and w
// (backward), and sets N = 10 ^ CurrentLog10N for the run.
void BuildMutationCoefficients(const ModelParameters& params, const HaplotypeTables& tables,
                               MutationCoefficients& coefficients, RandomDraw& draw);

// Moves frequency along the transition table within each deme. All amounts of
// a deme are drawn from the frequencies before the first move; with
// totalStochasticity false (TotalStochasticity unticked) the R- class reuses the R+ class's pair of
// uniforms for the same transition.
void ApplyMutation(const ModelParameters& params, const HaplotypeTables& tables,
                   const MutationCoefficients& coefficients, bool totalStochasticity,
                   PopulationState& population, RandomDraw& draw);

}  // namespace recmod
