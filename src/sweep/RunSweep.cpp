#include "sweep/RunSweep.hpp"

#include <algorithm>

#include "lanes/SideBySide.hpp"
#include "model/RuntimeError.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/LoopRuns.hpp"

namespace recmod {

namespace {

// The lanes of a batch share the start's inputs and read every per-batch
// constant from their first run: only axes over parameters that each run
// keeps in its own engine may go side by side.
bool AxesGoSideBySide(const Sweep& sweep) {
  return std::all_of(sweep.axes.begin(), sweep.axes.end(), [](const SweepAxis& axis) {
    return axis.parameter->role == LaneRole::PerLane &&
           axis.parameter->home == ParameterHome::Parameters;
  });
}

RunEnd WithQuietOutputs(const std::atomic<bool>* stopRequested,
                        const std::function<RunEnd(RunOutputs&)>& body) {
  RunOutputs outputs{.stopRequested = stopRequested};
  return body(outputs);
}

}  // namespace

void RunSweep(const Sweep& sweep, Engine& master, const RunInputs& inputs, const RunMode& mode,
              LoopExecutor& executor, const SweepObserver& observer) {
  const std::int64_t total = sweep.RunCount();
  const std::uint64_t reseedsBefore = master.draw.ReseedCount;

  LoopBody body;
  body.reach = observer.reach ? observer.reach : [](std::int64_t) {};
  body.consume = observer.consume;
  body.run = [&](std::int64_t run, Engine& engine) {
    RunInputs runInputs;
    PlaceSweepRun(sweep, inputs, reseedsBefore, run, engine, runInputs);
    auto generations = [&](RunOutputs& outputs) {
      RunGenerations(engine, runInputs, mode, outputs);
      return engine.End();
    };
    try {
      return observer.withOutputs ? observer.withOutputs(generations)
                                  : WithQuietOutputs(observer.stopRequested, generations);
    } catch (const RuntimeError& error) {
      throw RuntimeError(error.kind(), "the run at " + sweep.RunName(run) + ": " + error.detail());
    }
  };
  if (AxesGoSideBySide(sweep)) {
    RunSideBySide(
        body,
        [&](std::int64_t run, Engine& engine, MessageSink& messages) {
          RunInputs runInputs;
          PlaceSweepRun(sweep, inputs, reseedsBefore, run, engine, runInputs);
          BuildInitialState(engine, runInputs, messages);
        },
        master, inputs, mode, observer.stopRequested, observer.watched, observer.recorder);
  }
  executor.Execute(total, master, body);

  if (sweep.finitePopulation) {
    master.draw.ReseedCount = reseedsBefore + static_cast<std::uint64_t>(total);
    if (sweep.handsOnS) {
      StartSOfRun(InversionHandOverOf(inputs.switches, inputs.params), sweep.firstPosition + total,
                  master);
    }
  }
}

}  // namespace recmod
