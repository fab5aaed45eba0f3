// One run through the engine as a single-run start drives it, writing
// "ReportFile1.txt" into a temporary directory.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "numbers/NumberText.hpp"
#include "output/FrequencyPlot.hpp"
#include "output/ReportFiles.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/RunInputs.hpp"
#include "support/DrawnRun.hpp"
#include "support/RecordingPlotSurface.hpp"
#include "support/StartupControls.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

// Splits on CR LF; a text that does not end in CR LF leaves a last piece.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The fields of a generation line: every field is followed by a TAB.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  std::size_t tab;
  while ((tab = line.find('\t', start)) != std::string::npos) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  EXPECT_EQ(start, line.size()) << "text after the last TAB: " << line;
  return fields;
}

class SingleRunReportTest : public ::testing::Test {
 protected:
  // Opens report file 1, writes the header and runs, as the driver does.
  void RunSingle(const RunMode& mode) {
    testing::PrepareEngine(engine, controls, loci);
    engine.params.SaveDirectory = directory.string();
    if (!mode.InfinitePopulation) engine.params.CurrentLog10N = engine.params.Log10N;
    OpenReportFile(reports, engine.params.SaveDirectory, 1);
    reports.WriteLine(1, ReportFile1Header(engine.tables));
    testing::DrawnRun drawn(plot, messages, mode, &reports);
    try {
      RunGenerations(engine, testing::InputsOf(controls, loci), mode, drawn.outputs);
    } catch (...) {
      reports.CloseAll();
      throw;
    }
    reports.CloseAll();
  }
  std::string FileText() const {
    return testing::ReadFileBytes(directory.path() / "ReportFile1.txt");
  }

  std::int16_t loci = 2;
  testing::TempDirectory directory;
  ControlValues controls = testing::StartupControlValues();
  Engine engine;
  ReportFiles reports;
  testing::RecordingPlotSurface plot;
  CollectedMessages messages;
};

TEST_F(SingleRunReportTest, StartupValuesWriteTheHeaderAnd250LinesOfEightFields) {
  RunSingle(testing::SingleInfiniteRun());
  const std::string text = FileText();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  // No bare LF: every line end is CR LF.
  std::size_t lineFeeds = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lineFeeds;
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    }
  }
  EXPECT_EQ(lineFeeds, 251u);

  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 251u);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");

  // Generation 1 by hand: recombination within a class of pure "ab" and
  // selection change nothing; mutation moves u - u^2 to each one-mutant
  // haplotype and u^2 to "AB" in both classes.
  const double u = 1e-05;
  const double f = 0.5;
  const double expected[8] = {
      f * (1 - 2 * u + u * u),     f * (1 - u),     f * (1 - u * u),     f,
      f + f * (1 - 2 * u + u * u), f + f * (1 - u), f + f * (1 - u * u), 1.0};
  const std::vector<std::string> first = Fields(lines[1]);
  ASSERT_EQ(first.size(), 8u);
  for (int j = 0; j < 8; ++j) {
    EXPECT_NEAR(std::stod(first[static_cast<std::size_t>(j)]), expected[j], 1e-14)
        << "field " << j + 1;
  }

  for (std::size_t g = 1; g <= 250; ++g) {
    const std::vector<std::string> fields = Fields(lines[g]);
    ASSERT_EQ(fields.size(), 8u) << "generation " << g;
    double previous = 0.0;
    for (const std::string& field : fields) {
      ASSERT_TRUE(field[0] == ' ') << "number without its leading blank: " << field;
      const double value = std::stod(field);
      ASSERT_GE(value, previous - 1e-15) << "cumulative fields decrease in generation " << g;
      previous = value;
    }
    ASSERT_NEAR(std::stod(fields[7]), 1.0, 1e-14);
  }
  // Field 4 of the last line is the result of the run, the frequency of R+.
  const std::vector<std::string> last = Fields(lines[250]);
  EXPECT_EQ(last[3], NumberText(engine.SexFrequency));
  EXPECT_GT(engine.SexFrequency, 0.0);
  EXPECT_LT(engine.SexFrequency, 1.0);
}

TEST_F(SingleRunReportTest, ThreeLociWriteSixteenLabelsAndFields) {
  loci = 3;
  controls.Text(17) = "12";
  RunSingle(testing::SingleInfiniteRun());
  const std::vector<std::string> lines = SplitLines(FileText());
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(
      lines[0],
      "abc\tAbc\taBc\tabC\tABc\taBC\tAbC\tABC\tabc'\tAbc'\taBc'\tabC'\tABc'\taBC'\tAbC'\tABC'");
  for (std::size_t g = 1; g <= 12; ++g) EXPECT_EQ(Fields(lines[g]).size(), 16u);
}

TEST_F(SingleRunReportTest, AFiniteRunWithDriftAndDemesRecordsTheMeans) {
  controls.Text(10) = "4";
  controls.Text(9) = "3";
  controls.Text(4) = "0.5";
  controls.Text(5) = "0.5";
  controls.Text(17) = "30";
  testing::SetTick(controls, CheckBox::GeneticDrift, true);
  RunSingle(testing::SingleFiniteRun());
  const std::vector<std::string> lines = SplitLines(FileText());
  ASSERT_EQ(lines.size(), 31u);
  // The recorded table is the normalised mean over the demes.
  double sex = 0.0;
  for (int h = 1; h <= 4; ++h) sex += engine.population.Freq(3, 1, h);
  EXPECT_EQ(engine.SexFrequency, sex);
  for (std::size_t g = 1; g <= 30; ++g) {
    EXPECT_NEAR(std::stod(Fields(lines[g])[7]), 1.0, 1e-14);
  }
}

TEST_F(SingleRunReportTest, LinesWrittenBeforeARunTimeErrorStayInTheFile) {
  // Only "AB", S = 0.99 inverted every 10 generations: at generation 10 the
  // coefficient of "AB" is 1.4 ((1 - 0.99)^2 - 1) < -1 and the deme empties.
  testing::SetTick(controls, CheckBox::LinkageDisequilibrium, true);
  testing::SetTick(controls, CheckBox::InversionOfS, true);
  for (int i : {13, 14, 15}) controls.Text(i) = "0";
  controls.Text(16) = "1";
  controls.Text(0) = "0";
  controls.Text(1) = "0";
  controls.Text(2) = "0.99";
  controls.Text(3) = "1.4";
  controls.Text(12) = "10";
  try {
    RunSingle(testing::SingleInfiniteRun());
    FAIL() << "the run went on";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::EmptyDeme);
    EXPECT_NE(std::string(error.what()).find("generation 10"), std::string::npos) << error.what();
  }
  const std::vector<std::string> lines = SplitLines(FileText());
  ASSERT_EQ(lines.size(), 10u) << "the header and generations 1 to 9";
  EXPECT_EQ(Fields(lines[9])[3], " .5");
}

TEST_F(SingleRunReportTest, LoopRunsWriteNoGenerationLines) {
  RunMode loop;
  loop.LoopOverSK = true;
  loop.InfinitePopulation = true;
  testing::PrepareEngine(engine, controls, loci);
  testing::DrawnRun drawn(plot, messages, loop);
  drawn.recorder.ReportLine = "untouched";
  RunGenerations(engine, testing::InputsOf(controls, loci), loop, drawn.outputs);
  EXPECT_EQ(drawn.recorder.ReportLine, "untouched");
  EXPECT_EQ(plot.Count(testing::RecordingPlotSurface::Kind::Line), 249u * 8u);
}

}  // namespace
}  // namespace recmod
