// A study: which studies may run, that each run is the run its values make
// alone, and the rows of its two tables.
#include "sweep/Study.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <sstream>
#include <vector>

#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"
#include "run/RunOutputs.hpp"
#include "support/StartupControls.hpp"
#include "sweep/RunSweep.hpp"
#include "sweep/StudyTables.hpp"
#include "sweep/SweepAxisCheck.hpp"

namespace recmod {
namespace {

SweepAxis Axis(const char* name, std::vector<double> values) {
  return {FindParameter(name), std::move(values)};
}

struct RefusedCase {
  const char* what;
  std::function<void(Study&)> change;
  const char* message;  // a part of the message
};

class StudyRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(StudyRefused, NamesTheParameterAndTheProblem) {
  Study study = DefaultStudy();
  GetParam().change(study);
  try {
    CheckStudy(study, 10);
    FAIL() << "accepted";
  } catch (const SweepError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Study, StudyRefused,
    ::testing::Values(RefusedCase{"base outside the domain", [](Study& s) { s.Base("S") = -1.0; },
                                  "S = -1 is outside its model domain (-1, inf)"},
                      RefusedCase{"axis value outside the domain",
                                  [](Study& s) {
                                    s.sweep.axes = {Axis("u", {0.1, 2.0})};
                                  },
                                  "u = 2 is outside its model domain [0, 1]"},
                      RefusedCase{"axis twice",
                                  [](Study& s) {
                                    s.sweep.axes = {Axis("u", {0.1}), Axis("u", {0.2})};
                                  },
                                  "u is an axis twice"},
                      RefusedCase{"empty axis", [](Study& s) { s.sweep.axes = {Axis("K", {})}; },
                                  "K: the list of values is empty"},
                      RefusedCase{"loop parameter",
                                  [](Study& s) { s.sweep.axes = {Axis("iterations", {5})}; },
                                  "iterations shapes the window's loop"},
                      RefusedCase{"population size, infinite",
                                  [](Study& s) {
                                    s.sweep.axes = {Axis("log10n", {2, 3})};
                                  },
                                  "log10n cannot be an axis of an infinite population"},
                      RefusedCase{"sampling axis, infinite",
                                  [](Study& s) {
                                    s.sweep.axes = {Axis("exact_sampling", {0, 1})};
                                  },
                                  "exact_sampling cannot be an axis of an infinite population"},
                      RefusedCase{"exact sampling, infinite",
                                  [](Study& s) { s.Base("exact_sampling") = 1; },
                                  "exact sampling needs a finite population"},
                      RefusedCase{"drift axis",
                                  [](Study& s) {
                                    s.sweep.finitePopulation = true;
                                    s.sweep.axes = {Axis("drift", {0, 1})};
                                  },
                                  "drift cannot be an axis"},
                      RefusedCase{"replicates, infinite", [](Study& s) { s.sweep.replicates = 2; },
                                  "replicates need a finite population"},
                      RefusedCase{"no replicates",
                                  [](Study& s) {
                                    s.sweep.finitePopulation = true;
                                    s.sweep.replicates = 0;
                                  },
                                  "must be at least 1"},
                      RefusedCase{"too many runs",
                                  [](Study& s) {
                                    s.sweep.finitePopulation = true;
                                    s.sweep.replicates = 4;
                                    s.sweep.axes = {Axis("u", {0.1, 0.2, 0.3})};
                                  },
                                  "more than 10 runs"}),
    [](const ::testing::TestParamInfo<RefusedCase>& test) {
      std::string name = test.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(Study, AcceptsAStudyAtTheRunLimit) {
  Study study = DefaultStudy();
  study.sweep.finitePopulation = true;
  study.sweep.replicates = 5;
  study.sweep.axes = {Axis("log10n", {2, 3}), Axis("exact_sampling", {0, 1})};
  EXPECT_NO_THROW(CheckStudy(study, 20));
  EXPECT_THROW(CheckStudy(study, 19), SweepError);
}

std::vector<RunEnd> EndsOf(const Study& study) {
  std::vector<RunEnd> ends;
  StudyObserver observer;
  observer.consume = [&](std::int64_t run, const RunEnd& end) {
    EXPECT_EQ(run, static_cast<std::int64_t>(ends.size()));
    ends.push_back(end);
  };
  SequentialLoopExecutor executor;
  RunStudy(study, executor, observer);
  return ends;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// With an infinite population every run of a study is the single run of the
// window at the study's values.
struct SingleRunCase {
  const char* what;
  bool sinusoid;  // S varies as a sinusoid of amplitude S
  std::vector<SweepAxis> axes;
};

class StudyRuns : public ::testing::TestWithParam<SingleRunCase> {};

TEST_P(StudyRuns, EachPointIsTheWindowsSingleRun) {
  const SingleRunCase& c = GetParam();
  Study study = DefaultStudy();
  study.Base("max_gen") = 60;
  study.Base("inversion_period") = 10;
  study.Base("inversion") = c.sinusoid ? 1 : 0;
  study.Base("sinusoidal") = c.sinusoid ? 1 : 0;
  study.sweep.axes = c.axes;
  const std::vector<RunEnd> ends = EndsOf(study);
  ASSERT_EQ(ends.size(), 8U);
  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "60";
  controls.Text(12) = "10";
  testing::SetTick(controls, CheckBox::InversionOfS, c.sinusoid);
  testing::SetTick(controls, CheckBox::SinusoidalOption, c.sinusoid);
  for (std::int64_t run = 0; run < 8; ++run) {
    RunInputs inputs = testing::InputsOf(controls);
    for (std::size_t axis = 0; axis < 3; ++axis) {
      study.sweep.axes[axis].parameter->apply(inputs, study.sweep.ValueAt(axis, run));
    }
    inputs.SAmplitude = inputs.params.S;  // as the field S of a single run sets it
    Engine engine;
    PrepareEngine(engine, 2, inputs);
    RunOutputs outputs;
    RunGenerations(engine, inputs, RunMode{.SingleRun = true, .InfinitePopulation = true}, outputs);
    EXPECT_TRUE(SameBits(ends[static_cast<std::size_t>(run)].rPlus, engine.SexFrequency))
        << study.sweep.RunName(run);
  }
}

// Axes side by side (u, K), one at a time (R, a start frequency), and an
// axis over S whose sinusoid swings about each run's own S.
INSTANTIATE_TEST_SUITE_P(
    Study, StudyRuns,
    ::testing::Values(
        SingleRunCase{"lanes",
                      false,
                      {Axis("u", {1e-5, 0.02}), Axis("R", {0.2, 0.9}), Axis("K", {0.6, 1.3})}},
        SingleRunCase{"sinusoid",
                      true,
                      {Axis("S", {0.05, 0.3}), Axis("R", {0.2, 0.9}), Axis("K", {0.6, 1.3})}}),
    [](const ::testing::TestParamInfo<SingleRunCase>& test) { return test.param.what; });

// A finite study over Log10(N) with a seed gives the numbers of the window's
// loop over Log10(N) with that seed (no inversion of S to hand on).
TEST(Study, FiniteStudyGivesTheLoopOverLog10NsNumbers) {
  Study study = DefaultStudy();
  study.Base("max_gen") = 40;
  study.Base("drift") = 1;
  study.sweep.finitePopulation = true;
  study.sweep.seed = 7;
  study.sweep.replicates = 3;
  study.sweep.axes = {Axis("log10n", {2, 2.5})};
  const std::vector<RunEnd> ends = EndsOf(study);

  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "40";
  testing::SetTick(controls, CheckBox::GeneticDrift, true);
  const RunInputs inputs = testing::InputsOf(controls);
  Sweep loop = study.sweep;
  loop.handsOnS = true;
  Engine master;
  PrepareEngine(master, 2, inputs);
  SweepObserver observer;
  std::vector<RunEnd> loopEnds;
  observer.consume = [&](std::int64_t, const RunEnd& end) { loopEnds.push_back(end); };
  SequentialLoopExecutor executor;
  RunSweep(loop, master, inputs, RunMode{.LoopOverLog10N = true}, executor, observer);

  ASSERT_EQ(ends.size(), loopEnds.size());
  for (std::size_t run = 0; run < ends.size(); ++run) {
    EXPECT_TRUE(SameBits(ends[run].rPlus, loopEnds[run].rPlus)) << run;
    EXPECT_EQ(ends[run].outcome, loopEnds[run].outcome) << run;
    EXPECT_EQ(ends[run].absorbedAt, loopEnds[run].absorbedAt) << run;
    EXPECT_GE(ends[run].rPlus, 0.0);
    EXPECT_LE(ends[run].rPlus, 1.0);
  }
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line.substr(0, line.size() - 1));
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line[line.size() - 2] == ',') cells.emplace_back();
  return cells;
}

TEST(StudyTables, WriteOneRowPerRunAndPerPoint) {
  Study study = DefaultStudy();
  study.sweep.finitePopulation = true;
  study.sweep.seed = 7;
  study.sweep.replicates = 2;
  // z is held in single precision: 0.1 reads as the float's 0.1.
  study.sweep.axes = {Axis("z", {0.1, 0.3}), Axis("u", {1e-4, 0.02})};
  EXPECT_EQ(RunTableHeader(study), "run,z,u,replicate,seed,rplus,outcome,generation\n");
  EXPECT_EQ(
      RunTableRow(study, 5, RunEnd{.rPlus = 1.0, .outcome = RunOutcome::Fixed, .absorbedAt = 31}),
      "5,0.3,0.0001,1,7,1,fixed,31\n");
  EXPECT_EQ(RunTableRow(study, 6, RunEnd{.rPlus = 0.8200000000000001}),
            "6,0.3,0.02,0,7,0.8200000000000001,segregating,\n");
  study.sweep.finitePopulation = false;
  EXPECT_EQ(RunTableRow(study, 0, RunEnd{.rPlus = 0.5}), "0,0.1,0.0001,0,,0.5,segregating,\n");

  const std::string header = SummaryTableHeader(study);
  EXPECT_EQ(header,
            "z,u,n,mean,sd,se,fixed,fixed_low,fixed_high,lost,lost_low,lost_high,"
            "mean_fixation_generation\n");
  PointSummary summary;
  summary.Add(RunEnd{.rPlus = 0.0, .outcome = RunOutcome::Lost, .absorbedAt = 12});
  summary.Add(RunEnd{.rPlus = 1.0, .outcome = RunOutcome::Fixed, .absorbedAt = 20});
  summary.Add(RunEnd{.rPlus = 1.0, .outcome = RunOutcome::Fixed, .absorbedAt = 31});
  summary.Add(RunEnd{.rPlus = 0.5});
  const std::vector<std::string> names = Cells(header);
  const std::vector<std::string> row = Cells(SummaryTableRow(study, 3, summary));
  ASSERT_EQ(row.size(), names.size());
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"z", "0.3"},
      {"u", "0.02"},
      {"n", "4"},
      {"mean", "0.625"},
      {"fixed", "0.5"},
      {"lost", "0.25"},
      {"mean_fixation_generation", "25.5"}};
  for (const auto& [name, value] : expected) {
    const auto at = std::find(names.begin(), names.end(), name) - names.begin();
    EXPECT_EQ(row[static_cast<std::size_t>(at)], value) << name;
  }
  const auto sd = std::find(names.begin(), names.end(), "sd") - names.begin();
  EXPECT_NEAR(std::stod(row[static_cast<std::size_t>(sd)]), 0.47871355387816905, 1e-15);
  PointSummary none;
  none.Add(RunEnd{.rPlus = 0.5});
  EXPECT_EQ(SummaryTableRow(study, 0, none).back(), '\n');
  const std::vector<std::string> noneRow = Cells(SummaryTableRow(study, 0, none));
  EXPECT_EQ(noneRow.back(), "");
  // No run fixed or lost: both intervals start at 0 exactly.
  for (const char* name : {"fixed_low", "lost_low"}) {
    const auto at = std::find(names.begin(), names.end(), name) - names.begin();
    EXPECT_EQ(noneRow[static_cast<std::size_t>(at)], "0") << name;
  }
}

}  // namespace
}  // namespace recmod
