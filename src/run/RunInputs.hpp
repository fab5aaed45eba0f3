#pragma once

#include <array>

#include "model/ModelParameters.hpp"

namespace recmod {

// The model switches of a start. Interdemic diffusion is not among them: the
// demes exchange genes in every generation whenever Demes exceeds 1.
struct RunSwitches {
  bool RecombForR = true;              // the recombination step runs
  bool TotalStochasticity = true;      // R- mutation draws its own random numbers
  bool GeneticDrift = false;           // the drift step runs
  bool InversionOfS = false;           // S varies over the generations...
  bool SinusoidalOption = false;       // ...as a sinusoid instead of by inversion
  bool LinkageDisequilibrium = false;  // two loci start from haplotype frequencies
  bool ExactSampling = false;          // multinomial drift instead of the entry-wise draw
};

// The population every run starts from.
struct StartFrequencies {
  // Start frequencies of the alleles a, b and c (linkage equilibrium).
  std::array<double, 3> alleles{1.0, 1.0, 1.0};
  // Start frequencies of the haplotypes ab, Ab, aB, AB (LinkageDisequilibrium).
  std::array<double, 4> haplotypes{0.3, 0.2, 0.3, 0.2};
  // Start frequency of R+.
  double R = 0.5;
};

// Everything a start hands the engine, as numbers and switches: the engine
// never reads a field text or a tick.
struct RunInputs {
  ModelParameters params;
  RunSwitches switches;
  StartFrequencies start;
  // The amplitude of the sinusoidal S: the S of the parameters as read at the
  // start, whatever a loop over S later sets in `params.S`.
  double SAmplitude = 0.0;
};

}  // namespace recmod
