#pragma once

#include <cstdint>

#include "model/HaplotypeTables.hpp"
#include "model/ModelParameters.hpp"
#include "model/Mutation.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"
#include "run/RunEnd.hpp"
#include "run/RunOutputs.hpp"

namespace recmod {

// What a run reads and writes besides its inputs and its frequency table:
// parameters, tables, mutation coefficients and random draw.
struct RunContext {
  ModelParameters params;
  HaplotypeTables tables;
  MutationCoefficients mutation;
  RandomDraw draw;
  std::int16_t Generation = 0;
  bool InitialStateRejected = false;
  // The result of the last run: the total frequency of R+ in the recorded
  // table after its last generation (SexFrequencyOf).
  double SexFrequency = 0.0;
  // How R+ stood after the last run (tracked in a finite population only).
  RunOutcome Outcome = RunOutcome::Segregating;
  std::int16_t AbsorbedAt = -1;

  RunEnd End() const { return {SexFrequency, Outcome, AbsorbedAt}; }
};

// Everything one run reads and writes besides its inputs. A start owns one;
// loops give every run a copy of its own. Every member is a value, so the
// compiler's copy is a whole engine; ResetForRun copies all but the frequency
// table, which every run rebuilds before reading it.
struct Engine : RunContext {
  PopulationState population;
};

}  // namespace recmod
