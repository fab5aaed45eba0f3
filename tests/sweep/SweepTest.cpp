// A sweep runs the grid product of its axes in a fixed order, and every run
// gets exactly the result it has when started alone with its values, whether
// the sweep's runs go side by side in the lanes or one at a time.
#include "sweep/RunSweep.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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

// u and K go side by side (per lane); R is a start frequency, whose runs go
// one at a time; z is one constant of a batch.
TEST_P(SweepRuns, GiveEveryRunItsResultAlone) {
  const AxesCase& c = GetParam();
  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "60";
  const RunInputs inputs = testing::InputsOf(controls);
  const RunMode mode{.InfinitePopulation = true, .LoopOverSK = true};
  Sweep sweep;
  sweep.axes = {{FindParameter(c.first), c.firstValues}, {FindParameter(c.second), c.secondValues}};
  Engine master;
  PrepareEngine(master, 2, inputs);
  std::vector<double> results;
  SweepObserver observer;
  observer.consume = [&](std::int64_t, double rPlus) { results.push_back(rPlus); };
  SequentialLoopExecutor executor;
  RunSweep(sweep, master, inputs, mode, executor, observer);

  ASSERT_EQ(results.size(), static_cast<std::size_t>(sweep.RunCount()));
  for (std::int64_t run = 0; run < sweep.RunCount(); ++run) {
    const double alone = AloneWith(
        inputs, mode, {{c.first, sweep.ValueAt(0, run)}, {c.second, sweep.ValueAt(1, run)}});
    EXPECT_EQ(std::memcmp(&alone, &results[static_cast<std::size_t>(run)], sizeof alone), 0)
        << sweep.RunName(run) << ": " << alone << " vs " << results[static_cast<std::size_t>(run)];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, SweepRuns,
    ::testing::Values(AxesCase{"u", {1e-5, 1e-3, 0.02}, "K", {0.6, 1.0, 1.3, 2.0, 3.0}},
                      AxesCase{"R", {0.2, 0.5, 0.9}, "S", {-0.05, 0.1}},
                      AxesCase{"z", {0.0, 0.5}, "S", {0.05, 0.2}}));

}  // namespace
}  // namespace recmod
