#include "StudyRendering.hpp"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "output/sweep/AxisTicks.hpp"

namespace recmod {

using namespace drawing;

namespace {

QString Label(const StudyPictureAxis& axis) {
  return Text(axis.label);
}

// Where a value stands along the axis: log10 of it on a log axis.
double Across(const StudyPictureAxis& axis, double value) {
  return axis.logScale ? std::log10(value) : value;
}

// The points from left to right (a list of values may come in any order),
// in stretches between points without a mean (NaN: no run), each drawn as
// one line and band.
std::vector<std::vector<std::size_t>> StretchesWithMeans(const StudyPicture& picture) {
  const std::vector<double>& values = picture.axes.front().values;
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<std::vector<std::size_t>> stretches(1);
  for (const std::size_t point : order) {
    if (std::isfinite(picture.means[point])) {
      stretches.back().push_back(point);
    } else if (!stretches.back().empty()) {
      stretches.emplace_back();
    }
  }
  if (stretches.back().empty()) stretches.pop_back();
  return stretches;
}

std::vector<double> AxisTicksOf(const StudyPictureAxis& axis, const ChartLayout& layout) {
  if (!axis.logScale) return AxisTicks(layout.xLow, layout.xHigh, kMostTicks);
  return LogAxisTicks(std::pow(10.0, layout.xLow), std::pow(10.0, layout.xHigh), kMostTicks);
}

bool AnyStandardError(const StudyPicture& picture) {
  return std::any_of(picture.standardErrors.begin(), picture.standardErrors.end(),
                     [](double error) { return error > 0.0; });
}

void PaintStudyChart(QPainter& painter, const StudyPicture& picture) {
  const StudyPictureAxis& axis = picture.axes.front();
  const ChartLayout layout = LayoutStudyChart(picture);
  const QRectF& plot = layout.plot;
  DrawTitle(painter, QStringLiteral("Mean final frequency of R+ against %1").arg(Label(axis)));

  DrawFrequencyAxis(painter, layout);
  for (const double value : AxisTicksOf(axis, layout)) {
    DrawBottomTick(painter, plot, std::round(layout.At(value, layout.yLow).x()),
                   NumberLabel(value));
  }
  painter.setFont(PictureFont(15, true));
  DrawBottomTitle(painter, plot, Label(axis));
  DrawLeftTitle(painter, plot, QStringLiteral("Mean final R+ frequency"), true);

  const QPen startPen = DrawStartLine(painter, layout, picture.startFrequency);

  // The band of 2 standard errors either side of the means, kept inside the
  // plot; the means over it whole, also those of R+ fixed or lost.
  painter.save();
  painter.setClipRect(plot);
  const std::vector<std::vector<std::size_t>> stretches = StretchesWithMeans(picture);
  auto bandEdge = [&](std::size_t point, double sign) {
    const double error = picture.standardErrors[point];
    const double width = std::isfinite(error) ? 2.0 * error : 0.0;
    return layout.At(axis.values[point], picture.means[point] + sign * width);
  };
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const std::vector<std::size_t>& stretch : stretches) {
    if (stretch.size() == 1) {
      constexpr double kBandHalfWidth = 8.0;
      const QPointF high = bandEdge(stretch.front(), 1.0);
      const QPointF low = bandEdge(stretch.front(), -1.0);
      painter.fillRect(QRectF(QPointF(high.x() - kBandHalfWidth, high.y()),
                              QPointF(low.x() + kBandHalfWidth, low.y())),
                       kStandardErrorFill);
      continue;
    }
    QPolygonF band;
    for (const std::size_t point : stretch) band << bandEdge(point, 1.0);
    for (auto point = stretch.rbegin(); point != stretch.rend(); ++point)
      band << bandEdge(*point, -1.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kStandardErrorFill);
    painter.drawPolygon(band);
  }
  painter.restore();
  DrawFrame(painter, plot);
  // Dots that would run into each other shrink with the spacing.
  const double spacing = plot.width() / static_cast<double>(axis.values.size());
  for (const std::vector<std::size_t>& stretch : stretches) {
    std::vector<QPointF> means;
    for (const std::size_t point : stretch) {
      means.push_back(layout.At(axis.values[point], picture.means[point]));
    }
    DrawMeans(painter, means, std::clamp(spacing / 3.0, 1.5, 4.0));
  }

  painter.setFont(PictureFont(13));
  const double legendY = LegendY();
  double x = DrawLegendDot(painter, plot.left(), legendY, QStringLiteral("mean"));
  // With one run per point there is no band to explain.
  if (AnyStandardError(picture)) {
    x = DrawLegendPatch(painter, x, legendY, kStandardErrorFill, QStringLiteral("± 2 S.E."));
  }
  DrawLegendLine(
      painter, x, legendY, startPen,
      QStringLiteral("start frequency of R+ (%1)").arg(NumberLabel(picture.startFrequency)));
}

void PaintStudyHeatMap(QPainter& painter, const StudyPicture& picture) {
  const StudyPictureAxis& across = picture.axes[0];
  const StudyPictureAxis& upwards = picture.axes[1];
  HeatMap map;
  map.title = QStringLiteral("Mean final frequency of R+ over %1 and %2")
                  .arg(Label(across), Label(upwards));
  map.columnTitle = Label(across);
  map.rowTitle = Label(upwards);
  map.columnValues = across.values;
  map.rowValues = upwards.values;
  map.columnLogScale = across.logScale;
  map.rowLogScale = upwards.logScale;
  // A study's axis of a few values is a few settings, each labelled.
  map.labelEachOfFewCells = true;
  // The first axis varies slowest: a column's means lie together.
  const std::size_t rows = upwards.values.size();
  for (std::size_t column = 0; column < across.values.size(); ++column) {
    const auto first = picture.means.begin() + static_cast<std::ptrdiff_t>(column * rows);
    map.values.emplace_back(first, first + static_cast<std::ptrdiff_t>(rows));
  }
  map.range = StudyFrequencyRange(picture);
  map.colourBarTitle = QStringLiteral("Mean final R+ frequency");
  map.contourWords = QStringLiteral("mean R+ ends at its start frequency");
  PaintHeatMap(painter, map);
}

void PaintRefusal(QPainter& painter, const std::string& problem) {
  painter.setFont(PictureFont(14));
  painter.setPen(kInk);
  painter.drawText(QRectF(QPointF(40.0, 40.0), QSizeF(kPictureSize) - QSizeF(80.0, 80.0)),
                   Qt::AlignCenter | Qt::TextWordWrap, Text(problem));
}

PictureDrawing StudyDrawing(const StudyPicture& picture) {
  QString description = QStringLiteral("Mean final R+ frequency");
  if (!picture.axes.empty()) {
    description +=
        picture.axes.size() == 1 ? QStringLiteral(" against ") : QStringLiteral(" over ");
    for (std::size_t i = 0; i < picture.axes.size(); ++i) {
      if (i > 0) description += QStringLiteral(" and ");
      description += Label(picture.axes[i]);
    }
  }
  return {QStringLiteral("recmod study"), description,
          [&picture](QPainter& painter) { PaintStudyPicture(painter, picture); }};
}

}  // namespace

ChartLayout LayoutStudyChart(const StudyPicture& picture) {
  ChartLayout layout;
  const ColourScaleRange range = StudyFrequencyRange(picture);
  layout.yLow = range.low;
  layout.yHigh = range.high;
  if (picture.axes.empty() || picture.axes.front().values.empty()) return layout;
  const StudyPictureAxis& axis = picture.axes.front();
  layout.logScale = axis.logScale;
  const auto [lowest, highest] = std::minmax_element(axis.values.begin(), axis.values.end());
  const double low = Across(axis, *lowest);
  const double high = Across(axis, *highest);
  // Half a mean step beyond the outer values, so that no dot sits on the
  // frame; around a single value half a decade, or half its size.
  double margin = axis.logScale || low == 0.0 ? 0.5 : std::abs(low) / 2.0;
  if (high > low) margin = (high - low) / static_cast<double>(axis.values.size() - 1) / 2.0;
  layout.xLow = low - margin;
  layout.xHigh = high + margin;
  return layout;
}

ColourScaleRange StudyFrequencyRange(const StudyPicture& picture) {
  std::vector<double> frequencies;
  const bool chart = picture.axes.size() == 1;
  for (std::size_t i = 0; i < picture.means.size(); ++i) {
    const double mean = picture.means[i];
    frequencies.push_back(mean);
    if (chart && i < picture.standardErrors.size()) {
      frequencies.push_back(mean - 2.0 * picture.standardErrors[i]);
      frequencies.push_back(mean + 2.0 * picture.standardErrors[i]);
    }
  }
  return ColourScaleRangeOf(frequencies, picture.startFrequency);
}

HeatMapLayout LayoutStudyHeatMap(const StudyPicture& picture) {
  const auto count = [&](std::size_t axis) {
    return axis < picture.axes.size() ? static_cast<int>(picture.axes[axis].values.size()) : 0;
  };
  return LayoutHeatMap(count(0), count(1), StudyFrequencyRange(picture));
}

void PaintStudyPicture(QPainter& painter, const StudyPicture& picture) {
  painter.fillRect(QRect(QPoint(0, 0), kPictureSize), Qt::white);
  if (const auto problem = StudyPictureProblem(picture)) {
    PaintRefusal(painter, *problem);
  } else if (picture.axes.size() == 1) {
    PaintStudyChart(painter, picture);
  } else {
    PaintStudyHeatMap(painter, picture);
  }
}

QImage RenderStudyImage(const StudyPicture& picture) {
  return RenderDrawingImage(StudyDrawing(picture));
}

bool RenderStudyPicture(const StudyPicture& picture, const QString& path, QString* error) {
  if (const auto problem = StudyPictureProblem(picture)) {
    if (error != nullptr) *error = Text(*problem);
    return false;
  }
  return WriteDrawing(StudyDrawing(picture), path, error);
}

}  // namespace recmod
