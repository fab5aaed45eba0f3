#include "driver/ExperimentDriver.hpp"
#include "support/DrawnRun.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "run/Engine.hpp"
#include "run/LoopRuns.hpp"
#include "run/RunStatistics.hpp"
#include "support/ReportLines.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;

using testing::ReadFileBytes;
using testing::ReportLines;
using testing::SplitTabs;
using testing::TempDirectory;

// Remembers what the driver does to the picture box; runs a hook at every
// line drawn (one per curve and generation from generation 2 on).
class RecordingPlot final : public PlotSurface {
 public:
  void Clear() override { ++clears, lastWasClear = true; }
  void Refresh() override {}
  void SetPosition(float, float) override {}
  float DrawingWidth() const override { return kPictureWidth; }
  float DrawingHeight() const override { return kPictureHeight; }
  void SetColour(Rgb) override {}
  void DrawPoint(float, float) override { lastWasClear = false; }
  void DrawLine(float, float, float, float) override {
    lastWasClear = false;
    ++lines;
    if (onLine) onLine(lines);
  }
  int clears = 0;
  long long lines = 0;
  bool lastWasClear = false;
  std::function<void(long long)> onLine;
};

// Remembers messages, refreshed output fields (with the text they showed)
// and the progress calls.
class RecordingFrontEnd final : public FrontEnd {
 public:
  explicit RecordingFrontEnd(const Simulator& sim) : sim_(sim) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void RefreshField(int index) override {
    refreshed.emplace_back(index, sim_.controls.Text(index));
  }
  void RunFinished(long long done, long long total) override { runs.emplace_back(done, total); }
  std::vector<std::string> Shown(int index) const {
    std::vector<std::string> texts;
    for (const auto& [i, text] : refreshed) {
      if (i == index && !text.empty()) texts.push_back(text);
    }
    return texts;
  }
  std::vector<std::string> messages;
  std::vector<std::pair<int, std::string>> refreshed;
  std::vector<std::pair<long long, long long>> runs;

 private:
  const Simulator& sim_;
};

// A simulator after start-up, saving into `directory`, in run mode `mode`.
struct Window {
  explicit Window(const fs::path& directory, int mode = 0) : frontEnd(sim) {
    sim.plot = &plot;
    sim.frontEnd = &frontEnd;
    testing::StartWindow(sim, directory, mode);
  }
  void Type(int index, const std::string& text) { testing::TypeInto(sim, index, text); }
  void Click(CheckBox box) { CheckBox_Click(sim, box); }
  Simulator sim;
  RecordingPlot plot;
  RecordingFrontEnd frontEnd;
};

TEST(RunStatistics, MeanAndStandardDeviationOfTheLoopOverLog10N) {
  // Results 0, 1 and 1.
  const RunStatistics worked = SummariseRuns(2.0, 2.0, 3);
  EXPECT_EQ(NumberText(worked.mean), " .666666666666667");
  EXPECT_EQ(NumberText(worked.standardDeviation), " .577350269189626");

  // Three equal results of 0.1, summed as the loop sums them: rounding leaves
  // the variance just below 0, and the S.D. is written as 0.
  double sum = 0.0;
  double sumOfSquares = 0.0;
  for (int i = 0; i < 3; ++i) {
    sumOfSquares = sumOfSquares + 0.1 * 0.1;
    sum = sum + 0.1;
  }
  ASSERT_LT(sumOfSquares - sum * sum / 3.0, 0.0);
  const RunStatistics equal = SummariseRuns(sum, sumOfSquares, 3);
  EXPECT_EQ(NumberText(equal.standardDeviation), " 0");
  EXPECT_EQ(NumberText(equal.mean), " .1");

  // One result has no sample standard deviation.
  EXPECT_THROW(SummariseRuns(0.5, 0.25, 1), RuntimeError);
}

TEST(LoopPositions, ValuesTheLoopsVisit) {
  const std::vector<double> s = SKLoopSValues();
  const std::vector<double> k = SKLoopKValues();
  ASSERT_EQ(s.size(), 20U);
  ASSERT_EQ(k.size(), 41U);
  EXPECT_EQ(NumberText(s.front()), " .01");
  EXPECT_EQ(NumberText(s.back()), " .2");
  EXPECT_EQ(NumberText(k[2]), " .82");
  EXPECT_EQ(NumberText(k.back()), " 1.2");
  EXPECT_EQ(Log10NLoopValues(1.0F, 12.0F).size(), 23U);
  EXPECT_EQ(Log10NLoopValues(1.0F, 2.0F), (std::vector<float>{1.0F, 1.5F, 2.0F}));
  EXPECT_TRUE(Log10NLoopValues(3.0F, 2.5F).empty());
}

TEST(StartClick, SingleRunAtStartUpValuesWritesReportFile1AndKeepsThePlot) {
  TempDirectory dir;
  Window window(dir.path());
  window.sim.controls.Text(37) = "left over";
  ASSERT_EQ(Start_Click(window.sim), StartOutcome::Finished);

  const std::vector<std::string> lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 251U);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  for (std::size_t g = 1; g < lines.size(); ++g) {
    const std::vector<std::string> fields = SplitTabs(lines[g]);
    ASSERT_EQ(fields.size(), 9U) << "line " << g;  // 8 values, each followed by a TAB
    EXPECT_EQ(fields[8], "");
    double previous = 0.0;
    for (int j = 0; j < 8; ++j) {
      const double value = ParseDecimal(fields[static_cast<std::size_t>(j)]);
      EXPECT_GE(value, previous - 1e-15) << "cumulative fields never fall";
      previous = value;
    }
    EXPECT_NEAR(previous, 1.0, 1e-12) << "the total is 1";
  }
  // The output fields are emptied; the plot of a single run stays on screen.
  EXPECT_EQ(window.sim.controls.Text(37), "");
  EXPECT_FALSE(window.plot.lastWasClear);
  EXPECT_EQ(window.frontEnd.runs, (std::vector<std::pair<long long, long long>>{{1, 1}}));
  EXPECT_FALSE(fs::exists(dir / "ReportFile2.txt"));
}

TEST(StartClick, RefusedStartsTouchNoFile) {
  TempDirectory dir;
  const std::string earlier = "from an earlier start\r\n";
  std::ofstream(dir / "ReportFile1.txt", std::ios::binary) << earlier;

  {  // a blank start frequency of c stops a two-locus start
    Window window(dir.path());
    window.Type(6, "   ");
    EXPECT_EQ(Start_Click(window.sim), StartOutcome::Refused);
    EXPECT_EQ(window.frontEnd.messages, std::vector<std::string>{kValuesNeededMessage});
  }
  {  // haplotype frequencies adding up to 1.2
    Window window(dir.path());
    window.Click(CheckBox::LinkageDisequilibrium);
    window.Type(13, "0.5");
    EXPECT_EQ(Start_Click(window.sim), StartOutcome::Refused);
    EXPECT_EQ(window.frontEnd.messages, std::vector<std::string>{"ab+Ab+aB+Ab frequencies <> 1!"});
  }
  {  // inversion of S without a period
    Window window(dir.path(), 2);
    window.Click(CheckBox::InversionOfS);
    window.Type(12, "");
    window.sim.controls.Text(37) = " .05";
    EXPECT_EQ(Start_Click(window.sim), StartOutcome::Refused);
    EXPECT_EQ(window.frontEnd.messages, std::vector<std::string>{kInversionPeriodNeededMessage});
    EXPECT_EQ(window.sim.controls.Text(37), " .05") << "output fields stay as they were";
  }
  EXPECT_EQ(ReadFileBytes(dir / "ReportFile1.txt"), earlier);
  EXPECT_FALSE(fs::exists(dir / "ReportFile2.txt"));
  EXPECT_FALSE(fs::exists(dir / "ReportFile3.txt"));
}

TEST(StartClick, LoopOverSKWithInversionVisitsTheTwentyLoopValues) {
  TempDirectory dir;
  Window window(dir.path(), 2);
  window.Click(CheckBox::InversionOfS);
  window.Type(12, "10");
  window.Type(17, "15");  // one inversion per run: every run ends with S negated
  ASSERT_EQ(Start_Click(window.sim), StartOutcome::Finished);

  const std::vector<std::string> lines = ReportLines(dir / "ReportFile2.txt");
  ASSERT_EQ(lines.size(), 860U);
  const std::vector<double> sValues = SKLoopSValues();
  const std::vector<double> kValues = SKLoopKValues();
  for (std::size_t block = 0; block < 20; ++block) {
    const std::size_t first = block * 43;
    EXPECT_EQ(lines[first], "K\tu= 1E-05 s=" + NumberText(sValues[block]));
    EXPECT_EQ(lines[first + 1].substr(0, 4), " .8\t");
    EXPECT_EQ(lines[first + 41].substr(0, 5), " 1.2\t");
    EXPECT_EQ(lines[first + 42], " ");
  }
  EXPECT_EQ(window.frontEnd.Shown(37).size(), 20U);
  EXPECT_EQ(window.frontEnd.Shown(37).back(), " .2");
  EXPECT_EQ(window.frontEnd.Shown(38).back(), " 1.2");
  EXPECT_EQ(window.frontEnd.runs.size(), 820U);
  EXPECT_EQ(window.frontEnd.runs.back(), (std::pair<long long, long long>{820, 820}));
  EXPECT_TRUE(window.plot.lastWasClear) << "a loop leaves the picture box empty";

  // Each run starts from its loop values, whatever the run before it left:
  // the same position run alone on a fresh engine gives the same result.
  for (const auto& [block, k] : {std::pair<std::size_t, std::size_t>{0, 1}, {6, 20}, {19, 40}}) {
    Engine alone = window.sim.engine;
    testing::DrawnRun drawn(window.plot, window.frontEnd, window.sim.runMode);
    const double result = RunSKPosition(alone, window.sim.inputs, window.sim.runMode, drawn.outputs,
                                        sValues[block], kValues[k]);
    EXPECT_EQ(SplitTabs(lines[block * 43 + 1 + k])[1], NumberText(result));
  }
}

TEST(StartClick, LoopOverLog10NWritesBlocksAndTheirStatistics) {
  TempDirectory dir;
  Window window(dir.path(), 3);
  window.Type(19, "2");
  window.Type(8, "4");
  window.Type(17, "30");
  window.sim.seed = 11;
  ASSERT_EQ(Start_Click(window.sim), StartOutcome::Finished);

  const std::vector<std::string> report2 = ReportLines(dir / "ReportFile2.txt");
  const std::vector<std::string> report3 = ReportLines(dir / "ReportFile3.txt");
  ASSERT_EQ(report2.size(), 18U);
  ASSERT_EQ(report3.size(), 4U);
  EXPECT_EQ(report3[0], "N\tMean\tS.D.");
  const char* sizes[] = {"1", "1.5", "2"};
  for (std::size_t block = 0; block < 3; ++block) {
    EXPECT_EQ(report2[block * 6], std::string("N = ") + sizes[block]);
    EXPECT_EQ(report2[block * 6 + 5], " ");
    // The statistics line follows from the block's own results.
    std::vector<double> results;
    for (std::size_t i = 1; i <= 4; ++i) {
      const double value = ParseDecimal(report2[block * 6 + i]);
      EXPECT_GE(value, 0.0);
      EXPECT_LE(value, 1.0);
      results.push_back(value);
    }
    double mean = 0.0;
    for (const double r : results) mean += r / 4.0;
    double squares = 0.0;
    for (const double r : results) squares += (r - mean) * (r - mean);
    const std::vector<std::string> fields = SplitTabs(report3[block + 1]);
    ASSERT_EQ(fields.size(), 3U);
    EXPECT_EQ(fields[0], std::string(" ") + sizes[block]);
    EXPECT_NEAR(ParseDecimal(fields[1]), mean, 1e-13);
    EXPECT_NEAR(ParseDecimal(fields[2]), std::sqrt(squares / 3.0), 1e-7);
  }
  EXPECT_EQ(window.frontEnd.Shown(39), (std::vector<std::string>{" 1", " 1.5", " 2"}));
  EXPECT_EQ(window.frontEnd.Shown(40).back(), " 4");
  EXPECT_EQ(window.frontEnd.runs.back(), (std::pair<long long, long long>{12, 12}));
  EXPECT_TRUE(window.plot.lastWasClear);

  // With a seed, every run's stream depends only on the seed and the run's
  // position: run 6 (the third of N = 1.5) alone gives the same result.
  Engine alone = window.sim.engine;
  alone.params.CurrentLog10N = 1.5F;
  SeedLoopRun(alone.draw, window.sim.seed, 6);
  testing::DrawnRun drawn(window.plot, window.frontEnd, window.sim.runMode);
  const double result =
      RunLog10NPosition(alone, window.sim.inputs, window.sim.runMode, drawn.outputs);
  EXPECT_EQ(report2[6 + 3], NumberText(result));
}

TEST(StartClick, LoopOverLog10NIsRandomWithoutASeedAndRepeatableWithOne) {
  TempDirectory dir;
  auto results = [&](std::optional<std::uint64_t> seed) {
    Window window(dir.path(), 3);
    window.Type(18, "1.5");
    window.Type(19, "1.5");
    window.Type(8, "40");
    window.Type(17, "20");
    window.sim.seed = seed;
    EXPECT_EQ(Start_Click(window.sim), StartOutcome::Finished);
    return ReadFileBytes(dir / "ReportFile2.txt");
  };
  EXPECT_EQ(results(5), results(5));
  EXPECT_NE(results(5), results(6));
  const std::string first = results(std::nullopt);
  EXPECT_NE(first, results(std::nullopt)) << "the time of day seeds distinct streams";

  // Forty runs with N = 10^1.5 from R+ = 0.5 do not all end alike.
  std::istringstream lines(first);
  std::string line;
  std::getline(lines, line);  // N = 1.5
  std::vector<std::string> distinct;
  while (std::getline(lines, line) && line != " \r") {
    if (std::find(distinct.begin(), distinct.end(), line) == distinct.end()) {
      distinct.push_back(line);
    }
  }
  EXPECT_GT(distinct.size(), 3U);
}

TEST(StartClick, AStopAfterAGenerationLeavesCompleteLines) {
  TempDirectory dir;
  Window window(dir.path());
  // Eight lines a generation from generation 2 on: stop in generation 6.
  window.plot.onLine = [&](long long lines) {
    if (lines == 8 * 5) window.sim.stopRequested = true;
  };
  ASSERT_EQ(Start_Click(window.sim), StartOutcome::Stopped);
  std::vector<std::string> lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 7U);  // header and generations 1..6
  for (std::size_t g = 1; g < lines.size(); ++g) EXPECT_EQ(SplitTabs(lines[g]).size(), 9U);

  // The next start begins afresh.
  window.plot.onLine = nullptr;
  ASSERT_EQ(Start_Click(window.sim), StartOutcome::Finished);
  EXPECT_EQ(ReportLines(dir / "ReportFile1.txt").size(), 251U);
}

TEST(StartClick, ARunTimeErrorKeepsTheLinesWrittenBeforeIt) {
  TempDirectory dir;
  Window window(dir.path(), 3);
  window.Type(19, "2");
  window.Type(8, "3");
  window.Type(17, "10");
  // A fault in the fifth run's drawing (nine lines of eight curves a run).
  window.plot.onLine = [&](long long lines) {
    if (lines == 4 * 72 + 1) throw RuntimeError(ErrorKind::Overflow, "drawing");
  };
  EXPECT_THROW(Start_Click(window.sim), RuntimeError);
  const std::vector<std::string> report2 = ReportLines(dir / "ReportFile2.txt");
  ASSERT_EQ(report2.size(), 7U);  // N = 1, three results, blank, N = 1.5, one result
  EXPECT_EQ(report2[5], "N = 1.5");
  EXPECT_EQ(ReportLines(dir / "ReportFile3.txt").size(), 2U);

  // A directory where the report file should be: an error naming the path.
  fs::create_directory(dir / "ReportFile1.txt");
  Window single(dir.path());
  try {
    Start_Click(single.sim);
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::FileError);
    EXPECT_NE(std::string(error.what()).find((dir / "ReportFile1.txt").string()),
              std::string::npos);
  }
}

}  // namespace
}  // namespace recmod
