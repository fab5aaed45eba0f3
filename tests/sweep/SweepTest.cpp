// A sweep runs the grid product of its axes in a fixed order, and every run
// gets exactly the result it has when started alone with its values, whether
// the sweep's runs go side by side in the lanes or one at a time.
#include "sweep/RunSweep.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lanes/LanePath.hpp"
#include "run/GenerationCycle.hpp"
#include "run/PrepareEngine.hpp"
#include "support/StartupControls.hpp"

namespace recmod {
namespace {

TEST(Sweep, VisitsTheGridWithTheLastAxisFastestAndNamesEachRun) {
  Sweep sweep;
  sweep.axes = {{FindParameter("S"), {0.01, 0.02}}, {FindParameter("K"), {0.8, 0.9, 1.0}}};
  EXPECT_EQ(sweep.RunCount(), 6);
  EXPECT_EQ(sweep.ValueAt(0, 4), 0.02);
  EXPECT_EQ(sweep.ValueAt(1, 4), 0.9);
  EXPECT_EQ(sweep.RunName(4), "S = .02, K = .9");

  sweep.axes = {{FindParameter("log10n"), {2.0, 2.5}}};
  sweep.replicates = 3;
  sweep.finitePopulation = true;
  EXPECT_EQ(sweep.RunCount(), 6);
  EXPECT_EQ(sweep.PointOf(5), 1);
  EXPECT_EQ(sweep.RunName(5), "Log10(N) = 2.5, iteration 3");
}

// The final R+ of one run at the start-up values with `change` applied.
double AloneWith(const RunInputs& start, const RunMode& mode,
                 const std::vector<std::pair<const char*, double>>& change) {
  RunInputs inputs = start;
  for (const auto& [name, value] : change) FindParameter(name)->apply(inputs, value);
  Engine engine;
  PrepareEngine(engine, 2, inputs);
  engine.params = inputs.params;
  DeriveSelectionTerms(2, engine.params);
  RunOutputs outputs;
  RunGenerations(engine, inputs, mode, outputs);
  return engine.SexFrequency;
}

struct AxesCase {
  const char* first;
  std::vector<double> firstValues;
  const char* second;
  std::vector<double> secondValues;
};

class SweepRuns : public ::testing::TestWithParam<AxesCase> {};

// Per-lane numbers and start frequencies go side by side; a constant of the
// batch (z, the demes, MaxGen) splits the batches where it changes. On every
// vector path each run's result is the one it has alone.
TEST_P(SweepRuns, GiveEveryRunItsResultAlone) {
  const AxesCase& c = GetParam();
  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "60";
  const RunInputs inputs = testing::InputsOf(controls);
  const RunMode mode{.InfinitePopulation = true, .LoopOverSK = true};
  Sweep sweep;
  sweep.axes = {{FindParameter(c.first), c.firstValues}, {FindParameter(c.second), c.secondValues}};
  std::vector<double> alone;
  for (std::int64_t run = 0; run < sweep.RunCount(); ++run) {
    alone.push_back(AloneWith(
        inputs, mode, {{c.first, sweep.ValueAt(0, run)}, {c.second, sweep.ValueAt(1, run)}}));
  }
  const LanePath before = ActiveLanePath();
  for (const LanePath path : AvailableLanePaths()) {
    UseLanePath(path);
    Engine master;
    PrepareEngine(master, 2, inputs);
    std::vector<double> results;
    SweepObserver observer;
    observer.consume = [&](std::int64_t, const RunEnd& end) { results.push_back(end.rPlus); };
    SequentialLoopExecutor executor;
    RunSweep(sweep, master, inputs, mode, executor, observer);
    ASSERT_EQ(results.size(), alone.size());
    for (std::size_t run = 0; run < alone.size(); ++run) {
      EXPECT_EQ(std::memcmp(&alone[run], &results[run], sizeof(double)), 0)
          << LanePathName(path) << ", " << sweep.RunName(static_cast<std::int64_t>(run)) << ": "
          << alone[run] << " vs " << results[run];
    }
  }
  UseLanePath(before);
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, SweepRuns,
    ::testing::Values(AxesCase{"u", {1e-5, 1e-3, 0.02}, "K", {0.6, 1.0, 1.3, 2.0, 3.0}},
                      AxesCase{"w", {0.0, 0.01}, "S", {-0.05, 0.1, 0.3}},
                      AxesCase{"R", {0.2, 0.5, 0.9}, "S", {-0.05, 0.1}},
                      AxesCase{"a", {0.3, 0.9}, "b", {0.5, 0.7, 1.0}},
                      AxesCase{"z", {0.0, 0.5}, "S", {0.05, 0.2}},
                      AxesCase{"demes", {1, 3}, "u", {1e-5, 1e-3, 0.01}},
                      AxesCase{"diffusion", {0.1, 0.4}, "demes", {2, 4}},
                      AxesCase{"max_gen", {30, 60}, "K", {0.5, 1.5, 2.0}}));

// Every run of a finite sweep over u, with replicates, in the order of the
// runs: the result, the outcome and its generation.
std::vector<RunEnd> FiniteSweepOnPath(LanePath path, bool exact) {
  UseLanePath(path);
  RunInputs inputs = testing::InputsOf(testing::StartupControlValues());
  inputs.params.MaxGen = 80;
  inputs.params.Log10N = 1.5F;  // about 32 individuals: R+ fixes or is lost
  inputs.switches.GeneticDrift = true;
  inputs.switches.ExactSampling = exact;
  const RunMode mode{.SingleRun = true};
  Sweep sweep;
  sweep.axes = {{FindParameter("u"), {1e-5, 1e-2}}};
  sweep.replicates = 9;
  sweep.finitePopulation = true;
  sweep.seed = 2024;
  Engine master;
  PrepareEngine(master, 2, inputs);
  std::vector<RunEnd> ends;
  SweepObserver observer;
  observer.consume = [&](std::int64_t, const RunEnd& end) { ends.push_back(end); };
  SequentialLoopExecutor executor;
  RunSweep(sweep, master, inputs, mode, executor, observer);
  return ends;
}

// Fixation and loss are found in the same generation whether the runs go
// side by side on any vector path or one at a time, and they agree with the
// final frequency.
TEST(SweepRuns, TellFixationAndLossAlikeOnEveryPath) {
  const LanePath before = ActiveLanePath();
  for (const bool exact : {false, true}) {
    const std::vector<RunEnd> alone = FiniteSweepOnPath(LanePath::Scalar, exact);
    int absorbed = 0;
    for (const RunEnd& end : alone) {
      if (end.outcome == RunOutcome::Lost) {
        EXPECT_EQ(end.rPlus, 0.0);
      }
      if (end.outcome == RunOutcome::Fixed) {
        EXPECT_NEAR(end.rPlus, 1.0, 1e-12);
      }
      if (end.outcome == RunOutcome::Segregating) {
        EXPECT_EQ(end.absorbedAt, -1);
      } else {
        EXPECT_GE(end.absorbedAt, 1);
        EXPECT_LE(end.absorbedAt, 80);
        ++absorbed;
      }
    }
    EXPECT_GT(absorbed, 0) << "a population this small loses or fixes R+ in 80 generations";
    for (const LanePath path : AvailableLanePaths()) {
      const std::vector<RunEnd> lanes = FiniteSweepOnPath(path, exact);
      ASSERT_EQ(lanes.size(), alone.size());
      for (std::size_t run = 0; run < alone.size(); ++run) {
        EXPECT_EQ(std::memcmp(&lanes[run].rPlus, &alone[run].rPlus, sizeof(double)), 0)
            << LanePathName(path) << " run " << run;
        EXPECT_EQ(lanes[run].outcome, alone[run].outcome) << LanePathName(path) << " run " << run;
        EXPECT_EQ(lanes[run].absorbedAt, alone[run].absorbedAt)
            << LanePathName(path) << " run " << run;
      }
    }
  }
  UseLanePath(before);
}

}  // namespace
}  // namespace recmod
