#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "control/RunMode.hpp"
#include "model/HaplotypeTables.hpp"
#include "model/ModelParameters.hpp"
#include "model/Mutation.hpp"
#include "model/PopulationState.hpp"
#include "model/RandomDraw.hpp"
#include "output/FrequencyPlot.hpp"
#include "output/MessageSink.hpp"
#include "output/PlotSurface.hpp"
#include "output/ReportFiles.hpp"

namespace recmod {

// (A member added here must also be copied by ResetForRun in
// control/LoopExecutor.cpp.)
// Everything one run reads and writes besides its inputs: parameters,
// tables, population, random draw and recorder. A start owns one; parallel
// loops give every run a copy of its own.
struct Engine {
  ModelParameters params;
  HaplotypeTables tables;
  PopulationState population;
  MutationCoefficients mutation;
  RandomDraw draw;
  Recorder recorder;
  std::int16_t Generation = 0;
  bool InitialStateRejected = false;
};

// Where a run's output goes.
struct RunOutputs {
  PlotSurface& plot;
  ReportFiles* reports = nullptr;  // needed only by single runs
  MessageSink& messages;
  // When set and true after a generation, the run stops there (StartStopped).
  const std::atomic<bool>* stopRequested = nullptr;
  // When set, called after the start state of a run is built (Generation 0)
  // and after each of its generations, for a front end that keeps every
  // generation's table.
  std::function<void(const Engine&)> afterGeneration = nullptr;
};

// Thrown by a run that was asked to stop; not an error.
struct StartStopped {};

}  // namespace recmod
