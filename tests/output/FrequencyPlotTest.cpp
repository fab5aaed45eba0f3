#include "output/FrequencyPlot.hpp"

#include <gtest/gtest.h>

#include "model/RuntimeError.hpp"
#include "numbers/NumberText.hpp"
#include "output/ReportFiles.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/RecordingPlotSurface.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

using testing::SetSlot;
using Kind = testing::RecordingPlotSurface::Kind;

class FrequencyPlotTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildHaplotypeTables(2, tables); }
  void Record(std::int16_t generation, bool singleRun = false, ReportFiles* reports = nullptr) {
    RecordGeneration(recorder, generation, demes, maxGen, tables, population, singleRun, plot,
                     reports);
  }

  HaplotypeTables tables;
  std::int16_t demes = 1;
  std::int16_t maxGen = 10;
  PopulationState population;
  Recorder recorder;
  // 611 x 301 like the picture box: the bottom row is y = 300.
  testing::RecordingPlotSurface plot{611.0F, 301.0F};
};

TEST_F(FrequencyPlotTest, StackedCurvesOfFourQuartersOfSex) {
  SetSlot(population, 0, 1, {0.25, 0.25, 0.25, 0.25});
  Record(1, true);
  const auto strokes = plot.Strokes();
  ASSERT_EQ(strokes.size(), 8u);
  const float expectedY[8] = {225, 150, 75, 0, 0, 0, 0, 0};
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(strokes[k].kind, Kind::Point);
    EXPECT_EQ(strokes[k].x1, 61.1F);
    EXPECT_EQ(strokes[k].y1, expectedY[k]) << "curve " << k + 1;
    EXPECT_EQ(strokes[k].colour, (k < 4 ? Rgb{192, 0, 0} : Rgb{0, 0, 255})) << "curve " << k + 1;
  }
  EXPECT_EQ(recorder.SexFrequency, 1.0);
  EXPECT_EQ(recorder.ReportLine, " .25\t .5\t .75\t 1\t 1\t 1\t 1\t 1\t");
}

TEST_F(FrequencyPlotTest, ALostModifierLiesOnTheBottomRow) {
  SetSlot(population, 1, 1, {0.5, 0, 0.5, 0});
  Record(1, true);
  const auto strokes = plot.Strokes();
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(strokes[k].y1, 300.0F);
  EXPECT_EQ(strokes[4].y1, 150.0F);
  EXPECT_EQ(strokes[7].y1, 0.0F);
  EXPECT_EQ(recorder.SexFrequency, 0.0);
  EXPECT_EQ(recorder.ReportLine, " 0\t 0\t 0\t 0\t .5\t .5\t 1\t 1\t");
}

TEST_F(FrequencyPlotTest, ColoursAreSetOncePerClassBeforeItsCurves) {
  SetSlot(population, 0, 1, {1, 0, 0, 0});
  Record(1);
  ASSERT_EQ(plot.calls.size(), 10u);
  EXPECT_EQ(plot.calls[0].kind, Kind::SetColour);
  EXPECT_EQ(plot.calls[0].colour, kSexColour);
  EXPECT_EQ(plot.calls[5].kind, Kind::SetColour);
  EXPECT_EQ(plot.calls[5].colour, kAsexColour);
  EXPECT_EQ(kSexColour, (Rgb{192, 0, 0}));
  EXPECT_EQ(kAsexColour, (Rgb{0, 0, 255}));
}

TEST_F(FrequencyPlotTest, LaterGenerationsJoinTheirPreviousPositions) {
  for (std::int16_t g = 1; g <= 10; ++g) {
    population.ClearFreq();
    const double sex = g / 10.0;
    SetSlot(population, 0, 1, {sex, 0, 0, 0});
    SetSlot(population, 1, 1, {1 - sex, 0, 0, 0});
    Record(g);
  }
  const auto strokes = plot.Strokes();
  ASSERT_EQ(strokes.size(), 80u);
  for (std::size_t i = 8; i < 80; ++i) ASSERT_EQ(strokes[i].kind, Kind::Line);
  // Curve 1 in generation 2 runs from its generation-1 point.
  EXPECT_EQ(strokes[8].x1, strokes[0].x1);
  EXPECT_EQ(strokes[8].y1, strokes[0].y1);
  EXPECT_EQ(strokes[8].x2, static_cast<float>(2 * 611.0 / 10));
  EXPECT_EQ(strokes[8].y2, static_cast<float>(300 * (1 - 0.2)));
  // The last segment ends on the right edge, at x = W.
  EXPECT_EQ(strokes.back().x2, 611.0F);
  EXPECT_EQ(recorder.PrevPlotX, 611.0);
}

TEST_F(FrequencyPlotTest, SeveralDemesAreRecordedFromTheMeans) {
  demes = 2;
  SetSlot(population, 0, 1, {1, 0, 0, 0});  // deme 1 itself: ignored
  SetSlot(population, 3, 1, {0, 0.5, 0, 0});
  SetSlot(population, 4, 1, {0, 0, 0, 0.5});
  Record(1, true);
  EXPECT_EQ(recorder.SexFrequency, 0.5);
  EXPECT_EQ(recorder.ReportLine, " 0\t .5\t .5\t .5\t .5\t .5\t .5\t 1\t");
}

TEST_F(FrequencyPlotTest, LoopRunsLeaveTheReportLineAlone) {
  SetSlot(population, 0, 1, {1, 0, 0, 0});
  recorder.ReportLine = "left as it was";
  Record(1, false);
  EXPECT_EQ(recorder.ReportLine, "left as it was");
  EXPECT_EQ(recorder.SexFrequency, 1.0);
}

TEST_F(FrequencyPlotTest, ThreeLociDrawSixteenCurves) {
  BuildHaplotypeTables(3, tables);
  for (int h = 1; h <= 8; ++h) population.Freq(0, 1, h) = population.Freq(1, 1, h) = 1.0 / 16;
  Record(1, true);
  const auto strokes = plot.Strokes();
  ASSERT_EQ(strokes.size(), 16u);
  for (std::size_t k = 0; k < 16; ++k) {
    EXPECT_EQ(strokes[k].colour, (k < 8 ? kSexColour : kAsexColour));
    EXPECT_EQ(strokes[k].y1, static_cast<float>(300 * (1 - static_cast<double>(k + 1) / 16.0)));
  }
  EXPECT_EQ(recorder.SexFrequency, 0.5);
}

TEST_F(FrequencyPlotTest, SingleRunsWriteTheLineToReportFileOne) {
  testing::TempDirectory directory;
  ReportFiles reports;
  OpenReportFile(reports, directory.string(), 1);
  SetSlot(population, 0, 1, {0.25, 0.25, 0.25, 0.25});
  Record(1, true, &reports);
  Record(2, true, &reports);
  reports.CloseAll();
  const std::string line = " .25\t .5\t .75\t 1\t 1\t 1\t 1\t 1\t\r\n";
  EXPECT_EQ(testing::ReadFileBytes(directory.path() / "ReportFile1.txt"), line + line);
}

TEST_F(FrequencyPlotTest, CurveNumbersOutsideTheTableAreErrors) {
  EXPECT_THROW(PlotCurvePoint(recorder, 17, 1, false, plot), RuntimeError);
  EXPECT_THROW(PlotCurvePoint(recorder, -1, 1, false, plot), RuntimeError);
}

}  // namespace
}  // namespace recmod
