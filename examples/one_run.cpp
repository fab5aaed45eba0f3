// One run of the engine from typed inputs, with no window and no field text:
// two loci, N infinite, the start-up values of the window. Prints the result
// of the run, the final frequency of R+.
#include <cstdio>

#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"

int main() {
  recmod::RunInputs inputs;
  recmod::ModelParameters& p = inputs.params;
  p.u = 1e-5;  // mutation rate from reference to mutant allele
  p.w = 1e-5;  // and back
  p.S = 0.1;   // selection coefficient
  p.K = 1.0;   // epistasis
  p.MaxGen = 250;
  p.Demes = 1;
  inputs.SAmplitude = p.S;
  inputs.start.R = 0.5;  // start frequency of R+; a, b start at 1 (the defaults)

  recmod::Engine engine;
  recmod::PrepareEngine(engine, 2, inputs);
  const recmod::RunMode mode{.SingleRun = false, .InfinitePopulation = true};
  recmod::RunOutputs outputs;  // nothing shown: no plot, no report lines, no messages
  recmod::RunGenerations(engine, inputs, mode, outputs);
  std::printf("final R+ frequency: %.15g\n", engine.SexFrequency);
}
