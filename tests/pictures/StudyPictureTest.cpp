// Pictures of studies drawn offscreen from fixed means: the chart of one axis
// (means, the band of 2 standard errors, the dashed start frequency) on a
// linear and a log axis, the heat map of two axes with its contour, the
// refusal of more axes, and the file that recmod-batch writes through its
// picture module.
#include <gtest/gtest.h>

#include <QSvgRenderer>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "PictureChecks.hpp"
#include "StudyPictureFile.hpp"
#include "render/StudyRendering.hpp"
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
const QColor kBand(244, 188, 188);

StudyPictureAxis Axis(std::string label, std::vector<double> values, bool logScale = false) {
  return {std::move(label), std::move(values), logScale};
}

// R+ rising from its start (.5) to .9 over five values of u, each mean with
// a standard error of .02.
StudyPicture OneAxis(bool logScale = false) {
  StudyPicture picture;
  picture.axes = {logScale ? Axis("u", {1e-4, 1e-3, 1e-2, 1e-1, 1.0}, true)
                           : Axis("u", {0.0, 0.1, 0.2, 0.3, 0.4})};
  picture.means = {0.5, 0.62, 0.71, 0.83, 0.9};
  picture.standardErrors.assign(5, 0.02);
  return picture;
}

// Three values of u across and two of K upwards (the first axis varies
// slowest): R+ fixed at the first u, lost at the last, and at the middle one
// gaining at the lower K and ending where it started at the upper.
StudyPicture TwoAxes() {
  StudyPicture picture;
  picture.axes = {Axis("u", {1e-4, 1e-3, 1e-2}, true), Axis("K", {0.9, 1.1})};
  picture.means = {1.0, 1.0, 0.75, 0.5, 0.0, 0.0};
  picture.standardErrors.assign(6, 0.0);
  return picture;
}

TEST(StudyChart, MeansWithTheirBandAndTheStartFrequencyDashed) {
  for (const bool logScale : {false, true}) {
    SCOPED_TRACE(logScale ? "log axis" : "linear axis");
    const StudyPicture picture = OneAxis(logScale);
    const QImage image = RenderStudyImage(picture);
    ASSERT_EQ(image.size(), QSize(760, 560));
    const ChartLayout layout = LayoutStudyChart(picture);
    EXPECT_DOUBLE_EQ(layout.yLow, 0.0);  // .4 from the start: the whole of 0..1
    EXPECT_DOUBLE_EQ(layout.yHigh, 1.0);
    // The values stand evenly across, on either kind of axis, with half a
    // step left beyond the outer ones.
    std::vector<double> xs;
    for (const double value : picture.axes[0].values) xs.push_back(layout.At(value, 0.5).x());
    for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_NEAR(xs[i] - xs[i - 1], 126.0, 1e-9);
    EXPECT_NEAR(xs.front() - layout.plot.left(), 63.0, 1e-9);

    auto yOf = [&](double frequency) {
      return layout.At(picture.axes[0].values[0], frequency).y();
    };
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(PixelAt(image, xs[i], yOf(picture.means[i])), kRed) << i;
      if (i == 0) continue;
      // Halfway between two means: within 2 S.E. (.04, 16.8 pixels) of
      // their mean the band, beyond it the background.
      const double x = (xs[i - 1] + xs[i]) / 2.0;
      const double mean = (picture.means[i - 1] + picture.means[i]) / 2.0;
      EXPECT_EQ(PixelAt(image, x, yOf(mean + 0.03)), kBand) << i;
      EXPECT_EQ(PixelAt(image, x, yOf(mean - 0.03)), kBand) << i;
      EXPECT_EQ(PixelAt(image, x, yOf(mean + 0.05)), kWhite) << i;
      EXPECT_EQ(PixelAt(image, x, yOf(mean - 0.05)), kWhite) << i;
    }
    // The start frequency, dashed in a dark grey: grey and the background
    // alternate along its row, right of the band.
    const double y = yOf(0.5);
    int dash = 0;
    int gap = 0;
    for (double x = xs[1]; x < layout.plot.right() - 2.0; x += 1.0) {
      const QColor c = PixelAt(image, x, y);
      if (c.red() < 150 && c.red() == c.green() && c.red() == c.blue()) ++dash;
      if (c == kWhite) ++gap;
    }
    EXPECT_GT(dash, 150);
    EXPECT_GT(gap, 40);
  }
}

TEST(StudyChart, SmallEffectsGetANarrowFrequencyAxisAroundTheStart) {
  StudyPicture picture = OneAxis();
  picture.means = {0.5, 0.50005, 0.5001, 0.50008, 0.49995};
  picture.standardErrors.assign(5, 0.00001);
  const ChartLayout layout = LayoutStudyChart(picture);
  EXPECT_NEAR(layout.yLow, 0.4998, 1e-12);  // 1.2e-4 rounds up to 2e-4
  EXPECT_NEAR(layout.yHigh, 0.5002, 1e-12);
  // With one run per point (no standard errors) the same deviations span
  // their means alone.
  picture.standardErrors.assign(5, 0.0);
  EXPECT_NEAR(LayoutStudyChart(picture).yHigh, 0.5001, 1e-12);
}

TEST(StudyPictures, PointsWithoutAMeanAreLeftOpen) {
  StudyPicture chart = OneAxis();
  chart.means[2] = std::nan("");
  const QImage chartImage = RenderStudyImage(chart);
  const ChartLayout layout = LayoutStudyChart(chart);
  const QPointF missing = layout.At(0.2, 0.7);
  EXPECT_EQ(PixelAt(chartImage, missing.x(), missing.y()), kWhite);
  for (const std::size_t i : {1U, 3U}) {
    const QPointF mean = layout.At(chart.axes[0].values[i], chart.means[i]);
    EXPECT_EQ(PixelAt(chartImage, mean.x(), mean.y()), kRed) << i;
  }
  StudyPicture map = TwoAxes();
  map.means[3] = std::nan("");
  const QPointF cell = LayoutStudyHeatMap(map).Cell(1, 1).center();
  EXPECT_EQ(PixelAt(RenderStudyImage(map), cell.x(), cell.y()), QColor(214, 214, 214));
}

TEST(StudyHeatMap, FirstAxisAcrossSecondUpwardsWithTheNoChangeContour) {
  const StudyPicture picture = TwoAxes();
  const QImage image = RenderStudyImage(picture);
  ASSERT_EQ(image.size(), QSize(760, 560));
  const HeatMapLayout layout = LayoutStudyHeatMap(picture);
  ASSERT_EQ(layout.columns, 3);
  ASSERT_EQ(layout.rows, 2);
  auto centre = [&](int column, int row) {
    const QPointF at = layout.Cell(column, row).center();
    return PixelAt(image, at.x(), at.y());
  };
  EXPECT_EQ(centre(0, 0), kRed);
  EXPECT_EQ(centre(0, 1), kRed);
  EXPECT_EQ(centre(2, 0), kBlue);
  EXPECT_EQ(centre(2, 1), kBlue);
  const QColor gained = centre(1, 0);  // .75: halfway to red
  EXPECT_NEAR(gained.green(), 128, 3);
  EXPECT_EQ(gained.red(), 224);
  // At the start frequency: white beside the contour that runs through it.
  const QRectF unchanged = layout.Cell(1, 1);
  EXPECT_EQ(PixelAt(image, unchanged.left() + 4.0, unchanged.top() + 4.0), kWhite);
  EXPECT_TRUE(DarkPixelNear(image, unchanged.center().x(), unchanged.center().y(), 2));
  // Between the middle and the last u in the bottom row .75 falls to 0: .5
  // lies a third of the way.
  const QPointF crossing = layout.GridPoint(1.0 + 1.0 / 3.0, 0.0);
  EXPECT_TRUE(DarkPixelNear(image, crossing.x(), crossing.y(), 2));
  EXPECT_FALSE(
      DarkPixelNear(image, layout.Cell(0, 0).center().x(), layout.Cell(0, 0).center().y(), 8));
}

// The words of a picture drawn as SVG, which must parse and show the whole
// picture.
QStringList SvgWords(const StudyPicture& picture, const TempDirectory& dir) {
  const QString path = QString::fromStdString(dir / "study.Svg");
  QString error;
  EXPECT_TRUE(RenderStudyPicture(picture, path, &error)) << error.toStdString();
  bool wellFormed = false;
  const QStringList texts = SvgTexts(path, &wellFormed);
  EXPECT_TRUE(wellFormed);
  QSvgRenderer renderer(path);
  EXPECT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 760, 560));
  return texts;
}

TEST(StudyPictures, SvgDrawingsCarryTheAxisTitlesAndRoundTicks) {
  TempDirectory dir;
  // On the log axis the powers of ten, never the linear .002, .004, ...
  StudyPicture big = TwoAxes();
  big.axes = {Axis("u", {}, true), Axis("Log10(N)", {})};
  big.means.clear();
  for (int i = 0; i < 41; ++i) {
    big.axes[0].values.push_back(std::pow(10.0, -4.0 + 0.05 * i));
    big.axes[1].values.push_back(1.0 + 0.1 * i);
  }
  for (int i = 0; i < 41 * 41; ++i) big.means.push_back((i % 41) / 40.0);
  big.standardErrors.assign(big.means.size(), 0.0);
  const struct {
    StudyPicture picture;
    QStringList words;
    QStringList absent;
  } cases[] = {
      {OneAxis(),
       {"u", "Mean final R+ frequency", ".2", "± 2 S.E.", "start frequency of R+ (.5)"},
       {}},
      {OneAxis(true), {".0001", ".001", ".01", ".1", "1"}, {".002", ".004"}},
      // A few values label their own cells, not the round values between them.
      {TwoAxes(),
       {"u", "K", "Mean final R+ frequency", ".0001", ".001", ".01", ".9", "1.1", ".5 start"},
       {".95", "1.05"}},
      {big, {".0001", ".001", ".01", "Log10(N)", "1", "5"}, {".002", "grey: no run"}},
  };
  for (const auto& [picture, words, absent] : cases) {
    const QStringList texts = SvgWords(picture, dir);
    for (const QString& word : words) {
      EXPECT_TRUE(texts.contains(word))
          << word.toStdString() << " in " << texts.join(QLatin1Char('|')).toStdString();
    }
    for (const QString& word : absent) {
      EXPECT_FALSE(texts.contains(word)) << word.toStdString();
    }
    // No axis crowded with labels.
    EXPECT_LT(texts.size(), 30) << texts.join(QLatin1Char('|')).toStdString();
  }
}

TEST(StudyPictures, MoreThanTwoAxesAndMismatchedMeansAreRefused) {
  TempDirectory dir;
  StudyPicture three = TwoAxes();
  three.axes.push_back(Axis("z", {0.0}));
  StudyPicture none = OneAxis();
  none.axes.clear();
  StudyPicture short_ = OneAxis();
  short_.means.pop_back();
  StudyPicture negative = OneAxis(true);
  negative.axes[0].values[0] = -1.0;
  const struct {
    const StudyPicture& picture;
    const char* message;
  } cases[] = {
      {three,
       "a picture of a study shows one or two axes; this study has 3 (write --table or "
       "--summary instead)"},
      {none,
       "a picture of a study shows one or two axes; this study has 0 (write --table or "
       "--summary instead)"},
      {short_, "the study has 5 points but 4 means and 5 standard errors"},
      {negative, "the axis u is drawn in log10 but holds the value -1"},
  };
  for (const auto& [picture, message] : cases) {
    const std::filesystem::path png = dir / "study.png";
    QString error;
    EXPECT_FALSE(RenderStudyPicture(picture, QString::fromStdString(png), &error));
    EXPECT_EQ(error.toStdString(), message);
    EXPECT_FALSE(std::filesystem::exists(png));
    // Drawn anyway (by the window, say), the picture says why.
    EXPECT_EQ(RenderStudyImage(picture).size(), QSize(760, 560));
  }
  EXPECT_EQ(StudyPictureRefusal(4).value_or(""),
            "a picture of a study shows one or two axes; this study has 4 (write --table or "
            "--summary instead)");
  EXPECT_FALSE(StudyPictureRefusal(2));
}

TEST(StudyPictureFile, RecmodBatchWritesThroughItsPictureModuleAndNamesTheFileInErrors) {
  TempDirectory dir;
  const StudyPicture picture = OneAxis(true);
  const std::string png = dir / "study.png";
  batch::WriteStudyPicture(picture, png);
  EXPECT_EQ(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32),
            RenderStudyImage(picture));
  const std::string svg = dir / "study.svg";
  batch::WriteStudyPicture(picture, svg, dir.string());
  EXPECT_TRUE(QSvgRenderer(QString::fromStdString(svg)).isValid());

  StudyPicture three = TwoAxes();
  three.axes.push_back(Axis("z", {0.0}));
  const std::string missing = dir / "missing" / "study.png";
  const struct {
    const StudyPicture& picture;
    std::string path;
    std::string start;  // of the message
  } cases[] = {
      {three, png, png + ": a picture of a study shows one or two axes; this study has 3"},
      {picture, missing, missing + ": "},
  };
  for (const auto& c : cases) {
    try {
      batch::WriteStudyPicture(c.picture, c.path);
      ADD_FAILURE() << c.path << " written";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.start, 0), 0U) << error.what();
    }
  }
  // The refused picture left the earlier file as it was.
  EXPECT_EQ(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32),
            RenderStudyImage(picture));
}

}  // namespace
}  // namespace recmod
