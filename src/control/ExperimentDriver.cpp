#include "control/ExperimentDriver.hpp"

#include <string>

#include "control/DecimalParse.hpp"
#include "control/GenerationCycle.hpp"
#include "control/InitialState.hpp"
#include "control/LoopRuns.hpp"
#include "control/RunStatistics.hpp"
#include "output/FrequencyPlot.hpp"
#include "output/NumberText.hpp"
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

RunOutputs OutputsOf(Simulator& sim) {
  return RunOutputs{*sim.plot, &sim.reports, *sim.frontEnd, &sim.stopRequested};
}

// Modes 0 and 1: one run whose generations go to "ReportFile1.txt".
void RunSingle(Simulator& sim) {
  Engine& engine = sim.engine;
  if (sim.seed) engine.draw.generator.Seed(*sim.seed, 0);
  OpenReportFile(sim.reports, engine.params.SaveDirectory, 1);
  sim.reports.WriteLine(1, ReportFile1Header(engine.tables));
  if (!sim.runMode.InfinitePopulation) engine.params.CurrentLog10N = engine.params.Log10N;
  RunOutputs outputs = OutputsOf(sim);
  RunGenerations(engine, sim.controls, sim.runMode, outputs);
  sim.frontEnd->RunFinished(1, 1);
}

// Mode 2: 820 runs with an infinite population, one block of
// "ReportFile2.txt" per value of S.
void RunLoopOverSK(Simulator& sim) {
  Engine& engine = sim.engine;
  if (sim.seed) engine.draw.generator.Seed(*sim.seed, 0);
  OpenReportFile(sim.reports, engine.params.SaveDirectory, 2);
  const std::vector<double> sValues = SKLoopSValues();
  const std::vector<double> kValues = SKLoopKValues();
  const auto total = static_cast<long long>(sValues.size() * kValues.size());
  long long done = 0;
  RunOutputs outputs = OutputsOf(sim);
  for (const double S : sValues) {
    sim.reports.WriteLine(2, "K\tu=" + NumberText(engine.params.u) + " s=" + NumberText(S));
    ShowOutputField(sim, kSField, NumberText(S));
    for (const double K : kValues) {
      ClearPlot(sim);
      ShowOutputField(sim, kKField, NumberText(K));
      const double result = RunSKPosition(engine, sim.controls, sim.runMode, outputs, S, K);
      sim.reports.WriteLine(2, NumberText(K) + "\t" + NumberText(result));
      sim.frontEnd->RunFinished(++done, total);
    }
    sim.reports.WriteLine(2, " ");
  }
}

// Mode 3: Iterations runs per population size, each from a generator of its
// own; every result in "ReportFile2.txt", mean and S.D. per size in
// "ReportFile3.txt".
void RunLoopOverLog10N(Simulator& sim) {
  Engine& engine = sim.engine;
  ModelParameters& params = engine.params;
  OpenReportFile(sim.reports, params.SaveDirectory, 2);
  OpenReportFile(sim.reports, params.SaveDirectory, 3);
  sim.reports.WriteLine(3, "N\tMean\tS.D.");
  constexpr float kStep = 0.5F;
  const float last = ParseSingle(sim.controls.Text(19));
  params.CurrentLog10N = ParseSingle(sim.controls.Text(18));

  const auto blocks = static_cast<long long>(Log10NLoopValues(params.CurrentLog10N, last).size());
  const long long total = params.Iterations > 0 ? blocks * params.Iterations : 0;
  long long done = 0;
  RunOutputs outputs = OutputsOf(sim);
  while (params.CurrentLog10N <= last) {
    const std::string log10NText = NumberTextSingle(params.CurrentLog10N);
    ShowOutputField(sim, kLog10NField, log10NText);
    sim.reports.WriteLine(2, "N =" + log10NText);
    double sum = 0.0;
    double sumOfSquares = 0.0;
    const std::int16_t n = params.Iterations;
    for (std::int16_t i = 1; i <= n; ++i) {
      ClearPlot(sim);
      SeedLoopRun(engine.draw, sim.seed, static_cast<std::uint64_t>(done));
      ShowOutputField(sim, kIterationField, NumberTextInteger(i));
      const double result = RunLog10NPosition(engine, sim.controls, sim.runMode, outputs);
      sim.reports.WriteLine(2, NumberText(result));
      sumOfSquares = sumOfSquares + result * result;
      sum = sum + result;
      sim.frontEnd->RunFinished(++done, total);
    }
    sim.reports.WriteLine(2, " ");
    const RunStatistics statistics = SummariseRuns(sum, sumOfSquares, n);
    sim.reports.WriteLine(3, log10NText + "\t" + NumberText(statistics.mean) + "\t" +
                                 NumberText(statistics.standardDeviation));
    params.CurrentLog10N = params.CurrentLog10N + kStep;
  }
}

void RunSelectedMode(Simulator& sim) {
  const RunMode& mode = sim.runMode;
  if (mode.SingleRun) {
    RunSingle(sim);
    return;
  }
  if (mode.InfinitePopulation) {
    if (mode.LoopOverSK) RunLoopOverSK(sim);
  } else if (mode.LoopOverLog10N) {
    RunLoopOverLog10N(sim);
  }
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
  ReadParameters(sim.controls, engine.tables.AllelesNumber, engine.params);
  // The inversion of S divides the generation by the period: a blank period
  // cannot be run.
  if (sim.controls.Ticked(CheckBox::InversionOfS) && engine.params.InversionPeriod == 0) {
    sim.frontEnd->ShowMessage(kInversionPeriodNeededMessage);
    return false;
  }
  BuildInitialState(engine, sim.controls, *sim.frontEnd);
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
