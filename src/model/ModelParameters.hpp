#pragma once

#include <cstdint>
#include <string>

namespace recmod {

// The run parameters, read afresh from the fields at every start, with the
// derived selection terms. z, Log10N, Diffusion and CurrentLog10N are single
// precision and widen to double where they enter arithmetic.
struct ModelParameters {
  double u = 0.0;
  double w = 0.0;
  double S = 0.0;
  double K = 0.0;
  std::int16_t MaxGen = 0;
  float z = 0.0F;
  std::int16_t Iterations = 0;
  float Log10N = 0.0F;
  std::int16_t Demes = 0;
  float Diffusion = 0.0F;
  std::int16_t InversionPeriod = 0;
  std::string SaveDirectory;

  // Selection of haplotypes carrying two and three mutant alleles.
  double DoubleMutantSelection = 0.0;
  double TripleMutantSelection = 0.0;
  // log10 of N for the run in progress (finite population only).
  float CurrentLog10N = 0.0F;
};

// DoubleMutantSelection = K((1 + S)^2 - 1); with three loci also
// TripleMutantSelection = K K((1 + S)^3 - 1). The powers are taken as written.
void DeriveSelectionTerms(std::int16_t allelesNumber, ModelParameters& params);

}  // namespace recmod
