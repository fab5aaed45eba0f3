#pragma once

#include <atomic>
#include <functional>

#include "output/MessageSink.hpp"

namespace recmod {

struct Engine;

// Watches a run generation by generation: its plot curves, its report lines,
// a front end's table. Called after the start state is built (Generation 0)
// and after each generation's last model step.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void AfterGeneration(const Engine& engine) = 0;
};

// Where a run's output goes; every part may be left out. A run without an
// observer computes only its result.
struct RunOutputs {
  // The plot and report lines of a run that is shown (see PlotRecording).
  RunObserver* recording = nullptr;
  // Where a message of the run (a refused start state) is shown; without a
  // sink it is dropped.
  MessageSink* messages = nullptr;
  // When set and true after a generation, the run stops there (StartStopped).
  const std::atomic<bool>* stopRequested = nullptr;
  // Called after `recording`, for a front end that keeps every generation's table.
  std::function<void(const Engine&)> afterGeneration = nullptr;
};

// Thrown by a run that was asked to stop; not an error.
struct StartStopped {};

}  // namespace recmod
