#include "driver/ExperimentDriver.hpp"

#include <string>

#include "driver/ReadParameters.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "output/FrequencyPlot.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/LoopExecutor.hpp"
#include "run/LoopRuns.hpp"
#include "run/ParameterTable.hpp"
#include "run/PlotRecording.hpp"
#include "run/RunStatistics.hpp"
#include "run/SweepRange.hpp"
#include "sweep/RunSweep.hpp"
#include "ui/InputValidation.hpp"

namespace recmod {

namespace {

constexpr int kFirstRequiredField = 0;
constexpr int kLastRequiredField = 8;
constexpr int kSField = 37;
constexpr int kKField = 38;
constexpr int kLog10NField = 39;
constexpr int kIterationField = 40;

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

void ShowOutputField(Simulator& sim, int index, const std::string& text) {
  sim.controls.Text(index) = text;
  sim.frontEnd->RefreshField(index);
}

void ClearPlot(Simulator& sim) {
  sim.plot->Clear();
  sim.plot->Refresh();
}

// The outputs of a run that the window shows: its curves on the picture box,
// a single run's lines in "ReportFile1.txt", messages in message boxes.
class ShownRun {
 public:
  explicit ShownRun(Simulator& sim)
      : recording_(sim.recorder, *sim.plot, &sim.reports, sim.runMode.SingleRun),
        outputs_{&recording_, sim.frontEnd, &sim.stopRequested, sim.watchGenerations} {}
  ShownRun(const ShownRun&) = delete;
  ShownRun& operator=(const ShownRun&) = delete;
  RunOutputs& outputs() { return outputs_; }

 private:
  PlotRecording recording_;
  RunOutputs outputs_;
};

// Modes 0 and 1: one run whose generations go to "ReportFile1.txt". A run
// with a seed starts the generator from it; without one it goes on from where
// the generator stands.
void RunSingle(Simulator& sim) {
  Engine& engine = sim.engine;
  if (sim.seed) engine.draw.generator.Seed(*sim.seed, 0);
  OpenReportFile(sim.reports, engine.params.SaveDirectory, 1);
  sim.reports.WriteLine(1, ReportFile1Header(engine.tables));
  if (!sim.runMode.InfinitePopulation) engine.params.CurrentLog10N = engine.params.Log10N;
  ShownRun shown(sim);
  RunGenerations(engine, sim.inputs, sim.runMode, shown.outputs());
  sim.frontEnd->RunFinished(1, 1);
}

// Where the runs of a loop draw and tell. Runs on the calling thread use the
// window's picture box and front end, as in a loop in sequence; runs on other
// threads get a surface and a message sink of their own.
class LoopRunOutputs {
 public:
  LoopRunOutputs(Simulator& sim, const LoopExecutor& executor)
      : sim_(sim), inSequence_(executor.RunsOnCallingThread()) {}

  // The surface a watched loop draws every run onto, else null.
  PlotSurface* Watched() const { return inSequence_ && sim_.PlotWatched() ? sim_.plot : nullptr; }

  // A sweep's observer with these outputs; reach and consume are left to the loop.
  SweepObserver Observer() const {
    SweepObserver observer;
    observer.stopRequested = &sim_.stopRequested;
    observer.watched = Watched();
    observer.recorder = &sim_.recorder;
    if (inSequence_) {
      Simulator* sim = &sim_;
      observer.withOutputs = [sim](const std::function<RunEnd(RunOutputs&)>& run) {
        ShownRun shown(*sim);
        return run(shown.outputs());
      };
    }
    return observer;
  }

 private:
  Simulator& sim_;
  bool inSequence_;
};

// Mode 2: the loop over S and K with an infinite population (820 runs at the
// window's values), one block of "ReportFile2.txt" per value of S. Every run
// starts from its own S and K, so the runs are independent.
void RunLoopOverSK(Simulator& sim, LoopExecutor& executor) {
  Engine& engine = sim.engine;
  if (sim.seed) engine.draw.generator.Seed(*sim.seed, 0);
  OpenReportFile(sim.reports, engine.params.SaveDirectory, 2);
  const std::vector<double> sValues = SweepValues(sim.sSweep);
  const std::vector<double> kValues = SweepValues(sim.kSweep);
  const auto perBlock = static_cast<std::int64_t>(kValues.size());
  const auto total = static_cast<std::int64_t>(sValues.size()) * perBlock;
  auto sOf = [&](std::int64_t position) {
    return sValues[static_cast<std::size_t>(position / perBlock)];
  };
  auto kOf = [&](std::int64_t position) {
    return kValues[static_cast<std::size_t>(position % perBlock)];
  };
  const LoopRunOutputs runOutputs(sim, executor);

  Sweep sweep;
  sweep.axes = {{FindParameter("S"), sValues}, {FindParameter("K"), kValues}};
  SweepObserver observer = runOutputs.Observer();
  observer.reach = [&](std::int64_t position) {
    if (position % perBlock == 0) {
      const double S = sOf(position);
      sim.reports.WriteLine(2, "K\tu=" + NumberText(engine.params.u) + " s=" + NumberText(S));
      ShowOutputField(sim, kSField, NumberText(S));
    }
    ClearPlot(sim);
    ShowOutputField(sim, kKField, NumberText(kOf(position)));
  };
  observer.consume = [&](std::int64_t position, const RunEnd& end) {
    const double result = end.rPlus;
    engine.SexFrequency = result;
    sim.reports.WriteLine(2, NumberText(kOf(position)) + "\t" + NumberText(result));
    sim.frontEnd->RunFinished(position + 1, total);
    if (position % perBlock == perBlock - 1) sim.reports.WriteLine(2, " ");
    // A finished run's lines go to disk: a kill loses no run.
    sim.reports.FlushFinishedRun();
  };
  RunSweep(sweep, engine, sim.inputs, sim.runMode, executor, observer);
}

// Mode 3: Iterations runs per population size, each from a generator of its
// own; every result in "ReportFile2.txt", mean and S.D. per size in
// "ReportFile3.txt". A run depends only on its position: its population size,
// its generator (the start's seed and the position) and the S it starts with,
// which an inversion of S in the runs before it has negated a known number of
// times.
void RunLoopOverLog10N(Simulator& sim, LoopExecutor& executor) {
  Engine& engine = sim.engine;
  ModelParameters& params = engine.params;
  OpenReportFile(sim.reports, params.SaveDirectory, 2);
  OpenReportFile(sim.reports, params.SaveDirectory, 3);
  sim.reports.WriteLine(3, "N\tMean\tS.D.");
  constexpr float kStep = 0.5F;
  const float last = ParseSingle(sim.controls.Text(19));
  params.CurrentLog10N = ParseSingle(sim.controls.Text(18));
  const std::vector<float> sizes = Log10NLoopValues(params.CurrentLog10N, last);
  // The number of runs per size, read once.
  const std::int16_t n = params.Iterations;
  const std::int64_t perBlock = n > 0 ? n : 0;
  const auto total = static_cast<std::int64_t>(sizes.size()) * perBlock;
  const LoopRunOutputs runOutputs(sim, executor);

  double sum = 0.0;
  double sumOfSquares = 0.0;
  std::string log10NText;
  auto openBlock = [&](std::size_t block) {
    params.CurrentLog10N = sizes[block];
    log10NText = NumberTextSingle(params.CurrentLog10N);
    ShowOutputField(sim, kLog10NField, log10NText);
    sim.reports.WriteLine(2, "N =" + log10NText);
    sum = 0.0;
    sumOfSquares = 0.0;
  };
  auto closeBlock = [&] {
    sim.reports.WriteLine(2, " ");
    const RunStatistics statistics = SummariseRuns(sum, sumOfSquares, n);
    sim.reports.WriteLine(3, log10NText + "\t" + NumberText(statistics.mean) + "\t" +
                                 NumberText(statistics.standardDeviation));
    params.CurrentLog10N = params.CurrentLog10N + kStep;
  };
  if (perBlock == 0) {
    // No runs at all: every block is its header and its statistics.
    for (std::size_t block = 0; block < sizes.size(); ++block) {
      openBlock(block);
      closeBlock();
    }
    return;
  }

  Sweep sweep;
  sweep.axes = {{FindParameter("log10n"), std::vector<double>(sizes.begin(), sizes.end())}};
  sweep.replicates = perBlock;
  sweep.finitePopulation = true;
  sweep.seed = sim.seed;
  // Seeds and the S handed on follow the position in the whole sweep, of
  // which this start may be a later part.
  sweep.firstPosition = sim.firstPosition;
  sweep.handsOnS = true;
  SweepObserver observer = runOutputs.Observer();
  observer.reach = [&](std::int64_t position) {
    if (position % perBlock == 0) openBlock(static_cast<std::size_t>(position / perBlock));
    ClearPlot(sim);
    ShowOutputField(sim, kIterationField,
                    NumberTextInteger(static_cast<std::int16_t>(position % perBlock + 1)));
  };
  observer.consume = [&](std::int64_t position, const RunEnd& end) {
    const double result = end.rPlus;
    engine.SexFrequency = result;
    sim.reports.WriteLine(2, NumberText(result));
    sumOfSquares = sumOfSquares + result * result;
    sum = sum + result;
    sim.frontEnd->RunFinished(position + 1, total);
    if (position % perBlock == perBlock - 1) closeBlock();
    sim.reports.FlushFinishedRun();
  };
  RunSweep(sweep, engine, sim.inputs, sim.runMode, executor, observer);
}

void RunSelectedMode(Simulator& sim) {
  const StartKind kind = StartKindOf(sim.runMode);
  if (kind == StartKind::SingleRun) {
    RunSingle(sim);
    return;
  }
  std::unique_ptr<LoopExecutor> own;
  if (sim.loopExecutor == nullptr) own = MakeLoopExecutor(sim.threads);
  LoopExecutor& executor = own ? *own : *sim.loopExecutor;
  if (kind == StartKind::LoopOverSK) RunLoopOverSK(sim, executor);
  if (kind == StartKind::LoopOverLog10N) RunLoopOverLog10N(sim, executor);
  // After a loop (or when there was nothing to run) the picture box is left
  // empty; a single run's plot stays on screen.
  ClearPlot(sim);
}

// Everything a start does before its run mode: validation, the check of the
// required fields, the parameters, the start state, emptied output fields and
// closed report files. False when the start is refused.
bool Prepare(Simulator& sim) {
  ValidateInputs(sim);
  for (int i = kFirstRequiredField; i <= kLastRequiredField; ++i) {
    if (IsBlank(sim.controls.Text(i))) {
      sim.frontEnd->ShowMessage(kValuesNeededMessage);
      return false;
    }
  }
  Engine& engine = sim.engine;
  sim.inputs = ReadRunInputs(sim.controls, engine.tables.AllelesNumber);
  engine.params = sim.inputs.params;
  // The inversion of S divides the generation by the period: a blank period
  // cannot be run.
  if (sim.controls.Ticked(CheckBox::InversionOfS) && engine.params.InversionPeriod == 0) {
    sim.frontEnd->ShowMessage(kInversionPeriodNeededMessage);
    return false;
  }
  BuildInitialState(engine, sim.inputs, *sim.frontEnd);
  if (engine.InitialStateRejected) {
    engine.InitialStateRejected = false;
    return false;
  }
  for (int index = kSField; index <= kIterationField; ++index) ShowOutputField(sim, index, "");
  ClearPlot(sim);
  sim.reports.CloseAll();
  return true;
}

}  // namespace

StartOutcome Start_Click(Simulator& sim) {
  sim.stopRequested.store(false);
  PlotSurface& plot = *sim.plot;
  plot.Clear();
  plot.Refresh();
  plot.SetPosition(0.0F, plot.DrawingHeight());
  try {
    if (!Prepare(sim)) return StartOutcome::Refused;
    // The directory is this start's before anything, its record included, is
    // written there.
    sim.reports.LockDirectory(sim.engine.params.SaveDirectory);
    if (sim.onStartAccepted) sim.onStartAccepted(sim);
    RunSelectedMode(sim);
  } catch (const StartStopped&) {
    sim.reports.CloseAll();
    return StartOutcome::Stopped;
  } catch (...) {
    // Report files keep every line written before the error.
    sim.reports.CloseAllQuietly();
    throw;
  }
  sim.reports.CloseAll();
  return StartOutcome::Finished;
}

}  // namespace recmod
