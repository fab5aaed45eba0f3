#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "output/FrequencyPlot.hpp"
#include "output/PlotSurface.hpp"
#include "run/Engine.hpp"
#include "run/LoopExecutor.hpp"
#include "run/RunInputs.hpp"
#include "run/RunMode.hpp"
#include "sweep/Sweep.hpp"

namespace recmod {

// What a sweep tells its front end while it runs.
struct SweepObserver {
  // The sweep arrives at a run (in run order, before its result): headers,
  // output fields, the clearing of a plot. Optional.
  std::function<void(std::int64_t run)> reach;
  // A run's result (its final R+ frequency and, in a finite population,
  // whether R+ fixed or was lost), in run order, one call at a time.
  std::function<void(std::int64_t run, const RunEnd& end)> consume;
  // Runs `body` with the outputs of a run that goes one at a time; by default
  // outputs that draw nothing and keep their messages to themselves.
  std::function<RunEnd(const std::function<RunEnd(RunOutputs&)>& body)> withOutputs;
  // Set from any thread to stop the sweep after a generation.
  const std::atomic<bool>* stopRequested = nullptr;
  // With `watched`, every run's curves are drawn onto it with `recorder`,
  // even for runs that went side by side.
  PlotSurface* watched = nullptr;
  Recorder* recorder = nullptr;
};

// Carries out every run of `sweep` from `master` (prepared for `inputs` and
// `mode`) through `executor`, side by side in the vector lanes where the axes
// allow it, one at a time elsewhere; the results are the same bytes either
// way. A run-time error names the run ("the run at S = .01, K = .8: ...").
// After a finite sweep, `master` holds the generator count and the S that the
// runs in sequence would have left.
void RunSweep(const Sweep& sweep, Engine& master, const RunInputs& inputs, const RunMode& mode,
              LoopExecutor& executor, const SweepObserver& observer);

}  // namespace recmod
