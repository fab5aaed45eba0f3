// Pictures of sweeps drawn offscreen from small fixed report files: the cells
// of the heat map in the colours of their results, the colour bar's ends,
// the contour at the start frequency, the bars of the Log10(N) chart, and
// SVG drawings that parse as XML and carry the axis titles.
#include <gtest/gtest.h>

#include <QSvgRenderer>
#include <optional>

#include "PictureChecks.hpp"
#include "output/sweep/SweepReports.hpp"
#include "render/SweepRendering.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

using testing::DarkPixelNear;
using testing::PixelAt;
using testing::SvgTexts;
using testing::TempDirectory;

const QColor kRed(192, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kGrey(214, 214, 214);

// Three values of S and three of K. R+ rose (towards 1) in the first column
// and the bottom row, fell (towards 0) in the last column; .5 is the start.
const char* const kSkReport =
    "K\tu= 1E-05 s= .01\r\n"
    " .8\t 1\r\n"
    " .9\t .9\r\n"
    " 1\t .6\r\n"
    " \r\n"
    "K\tu= 1E-05 s= .02\r\n"
    " .8\t .8\r\n"
    " .9\t .5\r\n"
    " 1\t .3\r\n"
    " \r\n"
    "K\tu= 1E-05 s= .03\r\n"
    " .8\t 0\r\n"
    " .9\t .2\r\n"
    " 1\t .1\r\n"
    " \r\n";

SweepPicture SkPicture(const std::string& report = kSkReport, double start = 0.5) {
  return {ParseSkSweep(report, "ReportFile2.txt"), start};
}

bool Reddish(const QColor& c) {
  return c.red() > c.green() + 40 && c.green() == c.blue();
}

bool Bluish(const QColor& c) {
  return c.blue() > c.red() + 40 && c.red() == c.green();
}

TEST(HeatMap, EachRunIsOneCellInTheColourOfItsResult) {
  const SweepPicture picture = SkPicture();
  const QImage image = RenderSweepImage(picture);
  ASSERT_EQ(image.size(), QSize(760, 560));
  const HeatMapLayout layout = LayoutHeatMap(std::get<SkSweep>(picture.results));
  ASSERT_EQ(layout.columns, 3);
  ASSERT_EQ(layout.rows, 3);
  auto centre = [&](int column, int row) {
    const QPointF at = layout.Cell(column, row).center();
    return PixelAt(image, at.x(), at.y());
  };
  EXPECT_EQ(centre(0, 0), kRed);   // R+ fixed
  EXPECT_EQ(centre(2, 0), kBlue);  // R+ lost
  // R+ where it started: white, apart from the contour through its centre.
  const QRectF unchanged = layout.Cell(1, 1);
  EXPECT_EQ(PixelAt(image, unchanged.center().x() + unchanged.width() * 0.3,
                    unchanged.center().y() - unchanged.height() * 0.3),
            kWhite);
  EXPECT_TRUE(Reddish(centre(0, 1))) << centre(0, 1).name().toStdString();
  EXPECT_TRUE(Reddish(centre(1, 0)));
  EXPECT_TRUE(Bluish(centre(2, 1))) << centre(2, 1).name().toStdString();
  EXPECT_TRUE(Bluish(centre(1, 2)));
  // Deeper red nearer 1: .9 against .6 in the first column.
  EXPECT_LT(centre(0, 1).green(), centre(0, 2).green());

  // The cells fill the plot without gaps: neighbouring cells meet.
  for (int column = 0; column + 1 < layout.columns; ++column) {
    EXPECT_EQ(layout.Cell(column, 0).right(), layout.Cell(column + 1, 0).left());
  }
  EXPECT_EQ(layout.Cell(0, 0).bottom(), layout.plot.bottom());
  EXPECT_EQ(layout.Cell(0, 2).top(), layout.plot.top());
}

TEST(HeatMap, TheColourBarRunsFromBlueAtZeroToRedAtOneThroughWhiteAtTheStart) {
  for (const double start : {0.5, 0.2}) {
    const SweepPicture picture = SkPicture(kSkReport, start);
    const QImage image = RenderSweepImage(picture);
    const HeatMapLayout layout = LayoutHeatMap(std::get<SkSweep>(picture.results));
    const double x = layout.colourBar.center().x();
    EXPECT_EQ(PixelAt(image, x, layout.colourBar.top()), kRed);
    EXPECT_EQ(PixelAt(image, x, layout.ColourBarY(1.0)), kRed);
    EXPECT_EQ(PixelAt(image, x, layout.colourBar.bottom() - 1.0), kBlue);
    EXPECT_EQ(PixelAt(image, x, layout.ColourBarY(0.0)), kBlue);
    EXPECT_EQ(PixelAt(image, x, layout.ColourBarY(start)), kWhite);
    // Above the start red, below it blue: halfway to an end, halfway to its
    // colour.
    const QColor above =
        PixelAt(image, x, (layout.ColourBarY(start) + layout.ColourBarY(1.0)) / 2.0);
    const QColor below =
        PixelAt(image, x, (layout.ColourBarY(start) + layout.ColourBarY(0.0)) / 2.0);
    EXPECT_TRUE(Reddish(above)) << above.name().toStdString();
    EXPECT_TRUE(Bluish(below)) << below.name().toStdString();
    EXPECT_NEAR(above.green(), 128, 3);
    EXPECT_NEAR(below.red(), 128, 3);
  }
}

// Small effects: R+ ends within 1.3e-4 of .5, as with S < 0.
const char* const kSmallEffectReport =
    "K\tu= 1E-05 s=-.02\r\n"
    " .8\t .50013\r\n"
    " 1\t .5\r\n"
    " \r\n"
    "K\tu= 1E-05 s=-.01\r\n"
    " .8\t .5001\r\n"
    " 1\t .49995\r\n"
    " \r\n";

TEST(HeatMap, TheColourBarsEndsFollowTheDataOrTheFixedRange) {
  struct Case {
    const char* report;
    double start;
    std::optional<double> fixed;
    double low, high;  // the ends of the colour bar
  };
  const Case cases[] = {
      {kSmallEffectReport, 0.5, std::nullopt, 0.4998, 0.5002},  // 1.3e-4 -> 2e-4
      {kSmallEffectReport, 0.5, 0.001, 0.499, 0.501},           // --colour-range
      {kSkReport, 0.5, std::nullopt, 0.0, 1.0},                 // the whole range
      {kSkReport, 0.2, std::nullopt, 0.0, 1.0},                 // cut to 0..1
      {kSkReport, 0.5, 0.25, 0.25, 0.75},
  };
  for (const Case& c : cases) {
    SweepPicture picture = SkPicture(c.report, c.start);
    picture.colourHalfWidth = c.fixed;
    const ColourScaleRange range = HeatMapColourRange(picture);
    EXPECT_NEAR(range.low, c.low, 1e-12) << c.start;
    EXPECT_NEAR(range.high, c.high, 1e-12) << c.start;
    const QImage image = RenderSweepImage(picture);
    const HeatMapLayout layout = LayoutHeatMap(std::get<SkSweep>(picture.results), range);
    const double x = layout.colourBar.center().x();
    EXPECT_EQ(PixelAt(image, x, layout.colourBar.top()), kRed);
    EXPECT_EQ(PixelAt(image, x, layout.colourBar.bottom() - 1.0), kBlue);
    EXPECT_EQ(PixelAt(image, x, layout.ColourBarY(c.start)), kWhite);
  }
  // A result halfway to the bar's end is halfway to its colour: .5001 of
  // .5 .. .5002 is a mid red, not the near-white of a 0..1 scale.
  const SweepPicture small = SkPicture(kSmallEffectReport);
  const HeatMapLayout layout =
      LayoutHeatMap(std::get<SkSweep>(small.results), HeatMapColourRange(small));
  const QPointF cell = layout.Cell(1, 0).center();
  EXPECT_NEAR(PixelAt(RenderSweepImage(small), cell.x(), cell.y()).green(), 128, 3);
}

TEST(ColourScale, ReadableStepsRoundDeviationsUp) {
  const double cases[][2] = {{0.00013, 0.0002}, {0.0002, 0.0002}, {2.2e-5, 2.5e-5},
                             {0.3, 0.5},        {0.06, 0.1},      {1e-9, 1e-9}};
  for (const auto& [deviation, step] : cases) {
    EXPECT_DOUBLE_EQ(ReadableStepAtLeast(deviation), step) << deviation;
  }
}

TEST(HeatMap, TheContourPassesWhereRPlusEndsAtItsStartFrequency) {
  const SweepPicture picture = SkPicture();
  const QImage image = RenderSweepImage(picture);
  const HeatMapLayout layout = LayoutHeatMap(std::get<SkSweep>(picture.results));
  // Bottom row: .8 in the middle column, 0 in the last; .5 lies 3/8 of the
  // way. Top row: .6 in the first column, .3 in the middle; a third of the way.
  const QPointF bottom = layout.GridPoint(1.375, 0.0);
  const QPointF top = layout.GridPoint(1.0 / 3.0, 2.0);
  EXPECT_TRUE(DarkPixelNear(image, bottom.x(), bottom.y(), 2));
  EXPECT_TRUE(DarkPixelNear(image, top.x(), top.y(), 2));
  // Not through cells far from the level.
  const QPointF far = layout.Cell(0, 0).center();
  EXPECT_FALSE(DarkPixelNear(image, far.x(), far.y(), 6));
}

TEST(HeatMap, AStoppedSweepShowsItsMissingRunsInGrey) {
  const std::string report = kSkReport;
  const SweepPicture picture = SkPicture(report.substr(0, report.find(" .9\t .2")));
  const QImage image = RenderSweepImage(picture);
  const HeatMapLayout layout = LayoutHeatMap(std::get<SkSweep>(picture.results));
  ASSERT_EQ(layout.rows, 3);
  EXPECT_EQ(PixelAt(image, layout.Cell(2, 0).center().x(), layout.Cell(2, 0).center().y()), kBlue);
  for (const int row : {1, 2}) {
    const QPointF at = layout.Cell(2, row).center();
    EXPECT_EQ(PixelAt(image, at.x(), at.y()), kGrey);
  }
}

const char* const kLog10NResults =
    "N = 1\r\n .9\r\n .9\r\n \r\n"
    "N = 2\r\n .1\r\n .1\r\n \r\n";
const char* const kLog10NSummary =
    "N\tMean\tS.D.\r\n"
    " 1\t .7\t .2\r\n"
    " 2\t .2\t .2\r\n";

SweepPicture Log10NPicture() {
  // As if from 16 runs per size: S.E. = .2 / 4 = .05.
  Log10NSweep sweep =
      ParseLog10NSweep(kLog10NResults, "ReportFile2.txt", kLog10NSummary, "ReportFile3.txt");
  for (Log10NSweepPoint& point : sweep.points) point.runs = 16;
  return {sweep, 0.5};
}

TEST(Log10NChart, MeansWithTheirDeviationsErrorsAndTheStartFrequency) {
  const SweepPicture picture = Log10NPicture();
  const QImage image = RenderSweepImage(picture);
  ASSERT_EQ(image.size(), QSize(760, 560));
  const Log10NChartLayout layout = LayoutLog10NChart(std::get<Log10NSweep>(picture.results));
  EXPECT_DOUBLE_EQ(layout.xLow, 0.75);
  EXPECT_DOUBLE_EQ(layout.xHigh, 2.25);

  const QPointF first = layout.At(1.0, 0.7);
  const QPointF second = layout.At(2.0, 0.2);
  EXPECT_EQ(PixelAt(image, first.x(), first.y()), kRed);
  EXPECT_EQ(PixelAt(image, second.x(), second.y()), kRed);
  // Beside the S.D. line: within 2 S.E. (.1) of the mean the lighter band,
  // beyond it (but within 1 S.D.) the background.
  const QColor band = PixelAt(image, first.x() + 5.0, layout.At(1.0, 0.75).y());
  EXPECT_TRUE(Reddish(band) && band.green() > 150) << band.name().toStdString();
  EXPECT_EQ(PixelAt(image, first.x() + 5.0, layout.At(1.0, 0.65).y()), band);
  EXPECT_EQ(PixelAt(image, first.x() + 5.0, layout.At(1.0, 0.85).y()), kWhite);
  EXPECT_EQ(PixelAt(image, first.x() + 5.0, layout.At(1.0, 0.55).y()), kWhite);
  // The S.D. line itself reaches mean ± .2.
  EXPECT_EQ(PixelAt(image, first.x(), layout.At(1.0, 0.88).y()), kRed);
  EXPECT_EQ(PixelAt(image, first.x(), layout.At(1.0, 0.52).y()), kRed);

  // The start frequency, dashed: dark and light pixels alternate on its row.
  const double y = layout.At(1.5, 0.5).y();
  int dark = 0;
  int light = 0;
  for (double x = layout.plot.left() + 2.0; x < layout.plot.right() - 2.0; x += 1.0) {
    const QColor c = PixelAt(image, x, y);
    if (c.red() < 150 && c.red() == c.blue()) ++dark;
    if (c == kWhite) ++light;
  }
  EXPECT_GT(dark, 200);
  EXPECT_GT(light, 40);
}

TEST(SweepPictures, SvgDrawingsParseAsXmlAndCarryTheAxisTitles) {
  TempDirectory dir;
  const struct {
    SweepPicture picture;
    QStringList titles;
  } cases[] = {
      {SkPicture(), {"S", "K", "Final R+ frequency"}},
      {Log10NPicture(), {"Log10(N)", "R+ frequency"}},
  };
  for (const auto& [picture, titles] : cases) {
    const QString path = QString::fromStdString(dir / "sweep.SVG");
    QString error;
    ASSERT_TRUE(RenderSweepPicture(picture, path, &error)) << error.toStdString();
    bool wellFormed = false;
    const QStringList texts = SvgTexts(path, &wellFormed);
    EXPECT_TRUE(wellFormed);
    for (const QString& title : titles) {
      EXPECT_TRUE(texts.contains(title))
          << title.toStdString() << " in " << texts.join(QLatin1Char('|')).toStdString();
    }
    // Values in the report format without the sign blank.
    EXPECT_TRUE(texts.contains(QStringLiteral(".5 start")) ||
                texts.contains(QStringLiteral("start frequency of R+ (.5)")));
    QSvgRenderer renderer(path);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 760, 560));
  }
}

TEST(SweepPictures, PngFilesHoldTheImageAndFailuresAreReported) {
  TempDirectory dir;
  const SweepPicture picture = SkPicture();
  const QString png = QString::fromStdString(dir / "sweep.png");
  ASSERT_TRUE(RenderSweepPicture(picture, png));
  EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), RenderSweepImage(picture));
  for (const char* name : {"missing/sweep.png", "missing/sweep.svg"}) {
    QString error;
    EXPECT_FALSE(RenderSweepPicture(picture, QString::fromStdString(dir / name), &error));
    EXPECT_FALSE(error.isEmpty());
  }
}

TEST(SweepPictures, SweepsWithoutRunsStillMakeAPicture) {
  for (const SweepPicture& picture :
       {SweepPicture{SkSweep{}, 0.5}, SweepPicture{Log10NSweep{}, 0.5},
        SkPicture("K\tu= 1E-05 s= .01\r\n")}) {
    const QImage image = RenderSweepImage(picture);
    EXPECT_EQ(image.size(), QSize(760, 560));
  }
}

}  // namespace
}  // namespace recmod
