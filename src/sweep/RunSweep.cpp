#include "sweep/RunSweep.hpp"

#include <algorithm>

#include "lanes/SideBySide.hpp"
#include "model/RuntimeError.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/LoopRuns.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

namespace {

// The lanes of a batch share the start's switches, and every lane starts
// from its own start state and keeps its numbers in its own engine. A batch
// whose runs differ in a constant of the batch (the demes, say) is declined
// and runs one at a time, so an axis over such a constant costs little when
// it varies slower than the axes after it.
bool AxesGoSideBySide(const Sweep& sweep, const RunInputs& inputs) {
  // The lanes share one amplitude of the sinusoid.
  const bool sharedAmplitude = inputs.switches.InversionOfS && inputs.switches.SinusoidalOption;
  if (sweep.sinusoidFollowsS && sharedAmplitude &&
      std::any_of(sweep.axes.begin(), sweep.axes.end(),
                  [](const SweepAxis& axis) { return axis.parameter->name == "S"; })) {
    return false;
  }
  return std::all_of(sweep.axes.begin(), sweep.axes.end(), [](const SweepAxis& axis) {
    const ParameterHome home = axis.parameter->home;
    return home == ParameterHome::Parameters || home == ParameterHome::Start;
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
  if (AxesGoSideBySide(sweep, inputs)) {
    RunSideBySide(
        body,
        [&](std::int64_t run, Engine& engine, MessageSink& messages) {
          RunInputs runInputs;
          PlaceSweepRun(sweep, inputs, reseedsBefore, run, engine, runInputs);
          StartRun(engine, runInputs, mode, messages);
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
