// The loops of modes 2 and 3 on several threads write the very bytes that a
// loop in sequence writes: every run depends on its position alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/NumberText.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/LoopRuns.hpp"
#include "run/RunInputs.hpp"
#include "run/SweepRange.hpp"
#include "support/StartupControls.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

using testing::ReadFileBytes;
using testing::TempDirectory;
using testing::TypeInto;

// Progress as the front end is told it; can ask for a stop after a run.
class ProgressFrontEnd final : public FrontEnd {
 public:
  explicit ProgressFrontEnd(Simulator& sim) : sim_(sim) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void RunFinished(long long done, long long total) override {
    runs.emplace_back(done, total);
    if (stopAfter && done == *stopAfter) sim_.stopRequested = true;
  }
  std::vector<std::string> messages;
  std::vector<std::pair<long long, long long>> runs;
  std::optional<long long> stopAfter;

 private:
  Simulator& sim_;
};

// A loop start as a user sets it up: loci, run option, clicks, typed fields.
struct LoopSetting {
  const char* name = "";
  int mode = 3;
  int loci = 2;
  std::vector<CheckBox> clicks;
  std::vector<std::pair<int, std::string>> fields;
  std::optional<std::uint64_t> seed = 17;
  bool exactSampling = false;
  SweepRange sSweep = kDefaultSSweep;
  SweepRange kSweep = kDefaultKSweep;
};

struct StartResult {
  StartOutcome outcome = StartOutcome::Finished;
  std::string error;  // what a run-time error said
  std::string report2;
  std::string report3;
  std::vector<std::pair<long long, long long>> runs;
  double sexFrequency = 0.0;
};

StartResult Start(const LoopSetting& setting, int threads,
                  std::optional<long long> stopAfter = std::nullopt) {
  TempDirectory dir;
  Simulator sim;
  ProgressFrontEnd frontEnd(sim);
  frontEnd.stopAfter = stopAfter;
  sim.frontEnd = &frontEnd;
  Form_Load(sim);
  if (setting.loci == 3) ToggleAllelesNumber_Click(sim);
  testing::SelectOption(sim, setting.mode);
  for (const CheckBox box : setting.clicks) CheckBox_Click(sim, box);
  for (const auto& [index, text] : setting.fields) TypeInto(sim, index, text);
  TypeInto(sim, 30, dir.string());
  SetTick(sim, CheckBox::ExactSampling, setting.exactSampling ? 1 : 0);
  sim.seed = setting.seed;
  sim.sSweep = setting.sSweep;
  sim.kSweep = setting.kSweep;
  sim.threads = threads;

  StartResult result;
  try {
    result.outcome = Start_Click(sim);
  } catch (const RuntimeError& error) {
    result.error = error.what();
  }
  result.report2 = ReadFileBytes(dir.path() / "ReportFile2.txt");
  if (std::filesystem::exists(dir.path() / "ReportFile3.txt")) {
    result.report3 = ReadFileBytes(dir.path() / "ReportFile3.txt");
  }
  result.runs = frontEnd.runs;
  result.sexFrequency = sim.engine.SexFrequency;
  return result;
}

LoopSetting Setting(const char* name, int mode, std::vector<std::pair<int, std::string>> fields,
                    std::vector<CheckBox> clicks = {}) {
  LoopSetting setting;
  setting.name = name;
  setting.mode = mode;
  setting.fields = std::move(fields);
  setting.clicks = std::move(clicks);
  return setting;
}

std::vector<LoopSetting> Settings() {
  std::vector<LoopSetting> settings;
  settings.push_back(Setting("sk", 2, {{17, "10"}}));
  LoopSetting sk3 = Setting("sk-3loci-demes-inversion", 2,
                            {{6, "0.5"}, {10, "3"}, {11, "0.2"}, {12, "10"}, {17, "15"}},
                            {CheckBox::InversionOfS});
  sk3.loci = 3;
  sk3.sSweep = {0.05, 0.2, 0.05};
  sk3.kSweep = {0.8, 1.2, 0.1};
  settings.push_back(sk3);
  LoopSetting skSine = Setting("sk-sinusoid", 2, {{12, "10"}, {17, "25"}},
                               {CheckBox::InversionOfS, CheckBox::SinusoidalOption});
  skSine.sSweep = {-0.2, 0.3, 0.1};
  skSine.kSweep = {0.9, 1.1, 0.05};
  settings.push_back(skSine);

  const std::vector<std::pair<int, std::string>> log10N = {
      {19, "2"}, {8, "4"}, {17, "30"}, {4, "0.6"}, {5, "0.4"}};
  auto with = [&](std::vector<std::pair<int, std::string>> more) {
    std::vector<std::pair<int, std::string>> fields = log10N;
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
  };
  settings.push_back(Setting("log10n", 3, log10N));
  // Three inversions a run: every run hands S negated to the next.
  settings.push_back(
      Setting("log10n-inversion-odd", 3, with({{12, "10"}, {2, "0.5"}}), {CheckBox::InversionOfS}));
  // Two inversions a run: every run starts with the typed S.
  settings.push_back(Setting("log10n-inversion-even", 3, with({{12, "10"}, {17, "20"}, {2, "0.5"}}),
                             {CheckBox::InversionOfS}));
  settings.push_back(Setting("log10n-sinusoid", 3, with({{12, "10"}, {2, "0.5"}}),
                             {CheckBox::InversionOfS, CheckBox::SinusoidalOption}));
  LoopSetting drift = Setting("log10n-3loci-demes-drift", 3,
                              with({{6, "0.5"}, {10, "4"}, {11, "0.1"}, {18, "2"}, {19, "3"}}),
                              {CheckBox::GeneticDrift, CheckBox::TotalStochasticity});
  drift.loci = 3;
  settings.push_back(drift);
  LoopSetting exact = Setting("log10n-exact", 3, log10N);
  exact.exactSampling = true;
  settings.push_back(exact);
  return settings;
}

TEST(ParallelLoops, ReportFilesAreTheSameForAnyNumberOfThreads) {
  for (const LoopSetting& setting : Settings()) {
    SCOPED_TRACE(setting.name);
    const StartResult inSequence = Start(setting, 1);
    ASSERT_EQ(inSequence.outcome, StartOutcome::Finished) << inSequence.error;
    ASSERT_FALSE(inSequence.report2.empty());
    for (const int threads : {2, 3}) {
      SCOPED_TRACE(threads);
      const StartResult parallel = Start(setting, threads);
      EXPECT_EQ(parallel.outcome, StartOutcome::Finished) << parallel.error;
      EXPECT_EQ(parallel.report2, inSequence.report2);
      EXPECT_EQ(parallel.report3, inSequence.report3);
      // Progress counts every run once, in order, and the result of the last
      // run is the start's SexFrequency.
      EXPECT_EQ(parallel.runs, inSequence.runs);
      EXPECT_EQ(parallel.sexFrequency, inSequence.sexFrequency);
    }
  }
}

TEST(ParallelLoops, ARunTimeErrorLeavesTheLinesOfALoopInSequence) {
  // A population of AB under a sinusoidal S that nearly kills AB: in N = 10
  // some runs lose every individual, the first at the tenth run.
  const LoopSetting emptying{.name = "emptying",
                             .clicks = {CheckBox::InversionOfS, CheckBox::SinusoidalOption},
                             .fields = {{19, "2"},
                                        {8, "10"},
                                        {17, "40"},
                                        {4, "0"},
                                        {5, "0"},
                                        {2, "0.33"},
                                        {3, "1.4"},
                                        {12, "10"}},
                             .seed = 2};
  const StartResult inSequence = Start(emptying, 1);
  // The message names the run that failed.
  ASSERT_NE(inSequence.error.find("Empty deme: the run at Log10(N) = 1, iteration 10: deme 1"),
            std::string::npos)
      << inSequence.error;
  // The header and nine results; no statistics line.
  EXPECT_EQ(std::count(inSequence.report2.begin(), inSequence.report2.end(), '\n'), 10);
  EXPECT_EQ(inSequence.report3, "N\tMean\tS.D.\r\n");
  for (const int threads : {2, 3}) {
    const StartResult parallel = Start(emptying, threads);
    EXPECT_EQ(parallel.error, inSequence.error);
    EXPECT_EQ(parallel.report2, inSequence.report2);
    EXPECT_EQ(parallel.report3, inSequence.report3);
    EXPECT_EQ(parallel.runs.size(), 9U);
  }
}

TEST(ParallelLoops, AStopEndsAfterWholeLinesOfTheSequence) {
  const LoopSetting setting = Settings()[3];
  const StartResult whole = Start(setting, 1);
  const StartResult stopped = Start(setting, 2, 5);
  EXPECT_EQ(stopped.outcome, StartOutcome::Stopped);
  ASSERT_GE(stopped.runs.size(), 5U);
  EXPECT_LT(stopped.runs.size(), whole.runs.size());
  EXPECT_EQ(whole.report2.compare(0, stopped.report2.size(), stopped.report2), 0)
      << "the lines written are the first lines of the whole start";
  EXPECT_EQ(stopped.report2.substr(stopped.report2.size() - 2), "\r\n");
}

TEST(ParallelLoops, ABlankMaxGenKeepsTheResultOfBeforeTheStart) {
  TempDirectory dir;
  Simulator sim;
  Form_Load(sim);
  TypeInto(sim, 30, dir.string());
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);  // one run at the start-up values
  const double before = sim.engine.SexFrequency;
  ASSERT_GT(before, 0.0);
  testing::SelectOption(sim, 3);
  TypeInto(sim, 19, "1.5");
  TypeInto(sim, 8, "3");
  TypeInto(sim, 17, "");
  sim.threads = 2;
  sim.seed = 1;
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);
  const std::string result = NumberText(before);
  EXPECT_EQ(ReadFileBytes(dir.path() / "ReportFile2.txt"),
            "N = 1\r\n" + result + "\r\n" + result + "\r\n" + result + "\r\n \r\nN = 1.5\r\n" +
                result + "\r\n" + result + "\r\n" + result + "\r\n \r\n");
}

// The S a run of the loop over Log10(N) starts with, from its position, is the
// S that the runs before it leave when they run one after another on one
// engine.
TEST(InversionHandOver, GivesEachRunTheSOfARunInSequence) {
  struct Case {
    const char* maxGen;
    const char* period;
    bool oddPerRun;
  };
  for (const Case c : {Case{"30", "10", true}, Case{"20", "10", false}, Case{"250", "100", false},
                       Case{"150", "100", true}, Case{"10", "100", false}}) {
    SCOPED_TRACE(std::string(c.maxGen) + "/" + c.period);
    ControlValues controls = testing::StartupControlValues();
    testing::SetTick(controls, CheckBox::InversionOfS, true);
    controls.Text(2) = "0.3";
    controls.Text(12) = c.period;
    controls.Text(17) = c.maxGen;
    Engine chained;
    testing::PrepareEngine(chained, controls);
    const InversionHandOver handOver =
        InversionHandOverOf(testing::InputsOf(controls).switches, chained.params);
    EXPECT_TRUE(handOver.inverts);
    EXPECT_EQ(handOver.oddPerRun, c.oddPerRun);
    EXPECT_EQ(handOver.firstS, 0.3);
    RunOutputs outputs;
    RunMode mode = testing::SingleFiniteRun();
    mode.SingleRun = false;
    chained.params.CurrentLog10N = 3.0F;
    for (std::int64_t position = 0; position < 5; ++position) {
      Engine fresh;
      testing::PrepareEngine(fresh, controls);
      StartSOfRun(handOver, position, fresh);
      EXPECT_EQ(fresh.params.S, chained.params.S);
      EXPECT_EQ(fresh.params.DoubleMutantSelection, chained.params.DoubleMutantSelection);
      SeedLoopRun(chained.draw, 5, static_cast<std::uint64_t>(position));
      RunLog10NPosition(chained, testing::InputsOf(controls), mode, outputs);
    }
  }
  // Without the inversion, or with the sinusoid, S is left alone.
  ControlValues controls = testing::StartupControlValues();
  testing::SetTick(controls, CheckBox::InversionOfS, true);
  testing::SetTick(controls, CheckBox::SinusoidalOption, true);
  Engine engine;
  testing::PrepareEngine(engine, controls);
  engine.params.S = 0.7;
  StartSOfRun(InversionHandOverOf(testing::InputsOf(controls).switches, engine.params), 1, engine);
  EXPECT_EQ(engine.params.S, 0.7);
}

TEST(SweepRange, TheDefaultRangesAreTheWindowsLoops) {
  EXPECT_EQ(SweepValues(kDefaultSSweep), SKLoopSValues());
  EXPECT_EQ(SweepValues(kDefaultKSweep), SKLoopKValues());

  // Any other range is its grid: FROM + i*STEP, never beyond TO.
  const std::vector<double> coarse = SweepValues({0.05, 0.2, 0.05});
  ASSERT_EQ(coarse.size(), 4U);
  EXPECT_EQ(coarse[2], 0.05 + 2 * 0.05);
  EXPECT_EQ(coarse[3], 0.2);
  EXPECT_EQ(SweepValues({0.6, 1.4, 0.1}).back(), 1.4);

  EXPECT_FALSE(SweepRangeProblem(kDefaultSSweep));
  EXPECT_FALSE(SweepRangeProblem({0.0, 0.9, 1e-5}));  // 90001 values
  for (const SweepRange bad :
       {SweepRange{0.1, 0.2, 0.0}, SweepRange{0.1, 0.2, -0.01}, SweepRange{0.3, 0.2, 0.01},
        SweepRange{0.0, 1.0, 1e-6}, SweepRange{0.5, 0.6, 1e-20}, SweepRange{0.0, INFINITY, 1.0},
        SweepRange{NAN, 1.0, 0.1}, SweepRange{0.0, 1.0, NAN}}) {
    EXPECT_TRUE(SweepRangeProblem(bad)) << bad.from << ":" << bad.to << ":" << bad.step;
  }
}

}  // namespace
}  // namespace recmod
