#include "SweepRendering.hpp"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>

#include "output/sweep/AxisTicks.hpp"

namespace recmod {

using namespace drawing;

namespace {

HeatMap SkHeatMap(const SkSweep& sweep, const ColourScaleRange& range) {
  HeatMap map;
  map.title = QStringLiteral("Final frequency of R+ over S and K (u = %1)")
                  .arg(Text(PictureNumberText(sweep.u)));
  map.columnTitle = QStringLiteral("S");
  map.rowTitle = QStringLiteral("K");
  for (const SkSweepColumn& column : sweep.columns) {
    map.columnValues.push_back(column.s);
    map.values.push_back(column.results);
  }
  map.rowValues = sweep.RowValues();
  map.range = range;
  map.colourBarTitle = QStringLiteral("Final R+ frequency");
  map.contourWords = QStringLiteral("R+ ends at its start frequency");
  return map;
}

// The population sizes of the loop itself (every other one, or fewer, when
// there are many), so that every tick stands under a bar.
std::vector<double> Log10NTicks(const Log10NSweep& sweep, const Log10NChartLayout& layout) {
  constexpr std::size_t kMostSizeTicks = 12;
  if (sweep.points.empty()) return AxisTicks(layout.xLow, layout.xHigh, kMostTicks);
  const std::size_t every = (sweep.points.size() + kMostSizeTicks - 1) / kMostSizeTicks;
  std::vector<double> ticks;
  for (std::size_t i = 0; i < sweep.points.size(); i += every) {
    ticks.push_back(static_cast<double>(sweep.points[i].log10N));
  }
  return ticks;
}

void PaintLog10NChart(QPainter& painter, const Log10NSweep& sweep, double startFrequency) {
  const Log10NChartLayout layout = LayoutLog10NChart(sweep);
  const QRectF& plot = layout.plot;
  DrawTitle(painter, QStringLiteral("Mean final frequency of R+ against Log10(N)"));

  DrawFrequencyAxis(painter, layout);
  for (const double log10N : Log10NTicks(sweep, layout)) {
    DrawBottomTick(painter, plot, std::round(layout.At(log10N, 0.0).x()), NumberLabel(log10N));
  }
  painter.setFont(PictureFont(15, true));
  DrawBottomTitle(painter, plot, QStringLiteral("Log10(N)"));
  DrawLeftTitle(painter, plot, QStringLiteral("R+ frequency"), true);

  const QPen startPen = DrawStartLine(painter, layout, startFrequency);

  // Bars, joined means and the means themselves, kept inside the plot.
  painter.save();
  painter.setClipRect(plot);
  constexpr double kErrorHalfWidth = 8.0;
  constexpr double kCapHalfWidth = 6.0;
  for (const Log10NSweepPoint& point : sweep.points) {
    const double standardError =
        point.runs > 0 ? point.standardDeviation / std::sqrt(static_cast<double>(point.runs)) : 0.0;
    const QPointF low = layout.At(point.log10N, point.mean - 2.0 * standardError);
    const QPointF high = layout.At(point.log10N, point.mean + 2.0 * standardError);
    painter.fillRect(QRectF(QPointF(high.x() - kErrorHalfWidth, high.y()),
                            QPointF(low.x() + kErrorHalfWidth, low.y())),
                     kStandardErrorFill);
  }
  const QPen deviationPen(kSex, 2.0, Qt::SolidLine, Qt::FlatCap);
  painter.setPen(deviationPen);
  for (const Log10NSweepPoint& point : sweep.points) {
    const QPointF low = layout.At(point.log10N, point.mean - point.standardDeviation);
    const QPointF high = layout.At(point.log10N, point.mean + point.standardDeviation);
    painter.drawLine(low, high);
    painter.drawLine(low - QPointF(kCapHalfWidth, 0.0), low + QPointF(kCapHalfWidth, 0.0));
    painter.drawLine(high - QPointF(kCapHalfWidth, 0.0), high + QPointF(kCapHalfWidth, 0.0));
  }
  std::vector<QPointF> means;
  for (const Log10NSweepPoint& point : sweep.points) {
    means.push_back(layout.At(point.log10N, point.mean));
  }
  DrawMeans(painter, means);
  painter.restore();
  DrawFrame(painter, plot);
  if (sweep.points.empty()) DrawNoRuns(painter, plot);

  painter.setFont(PictureFont(13));
  const double legendY = LegendY();
  double x = DrawLegendDot(painter, plot.left(), legendY, QStringLiteral("mean"));
  x = DrawLegendLine(painter, x, legendY, deviationPen, QStringLiteral("± 1 S.D."));
  x = DrawLegendPatch(painter, x, legendY, kStandardErrorFill, QStringLiteral("± 2 S.E."));
  DrawLegendLine(painter, x, legendY, startPen,
                 QStringLiteral("start frequency of R+ (%1)").arg(NumberLabel(startFrequency)));
}

PictureDrawing SweepDrawing(const SweepPicture& picture) {
  return {QStringLiteral("recmod sweep"),
          std::holds_alternative<SkSweep>(picture.results)
              ? QStringLiteral("Final R+ frequency over S and K")
              : QStringLiteral("Mean final R+ frequency against Log10(N)"),
          [&picture](QPainter& painter) { PaintSweepPicture(painter, picture); }};
}

}  // namespace

HeatMapLayout LayoutHeatMap(const SkSweep& sweep) {
  return LayoutHeatMap(sweep, ColourScaleRange{});
}

HeatMapLayout LayoutHeatMap(const SkSweep& sweep, const ColourScaleRange& range) {
  return LayoutHeatMap(static_cast<int>(sweep.columns.size()),
                       static_cast<int>(sweep.RowValues().size()), range);
}

ColourScaleRange HeatMapColourRange(const SweepPicture& picture) {
  std::vector<double> results;
  if (const auto* sk = std::get_if<SkSweep>(&picture.results)) {
    for (const SkSweepColumn& column : sk->columns) {
      results.insert(results.end(), column.results.begin(), column.results.end());
    }
  }
  return ColourScaleRangeOf(results, picture.startFrequency, picture.colourHalfWidth);
}

Log10NChartLayout LayoutLog10NChart(const Log10NSweep& sweep) {
  Log10NChartLayout layout;
  if (sweep.points.empty()) return layout;
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (const Log10NSweepPoint& point : sweep.points) {
    low = std::min(low, static_cast<double>(point.log10N));
    high = std::max(high, static_cast<double>(point.log10N));
  }
  // Half a step of the loop beyond the outer sizes, so no bar touches the frame.
  const double margin = high > low ? 0.25 : 0.5;
  layout.xLow = low - margin;
  layout.xHigh = high + margin;
  return layout;
}

void PaintSweepPicture(QPainter& painter, const SweepPicture& picture) {
  painter.fillRect(QRect(QPoint(0, 0), kPictureSize), Qt::white);
  if (const auto* sk = std::get_if<SkSweep>(&picture.results)) {
    PaintHeatMap(painter, SkHeatMap(*sk, HeatMapColourRange(picture)));
  } else {
    PaintLog10NChart(painter, std::get<Log10NSweep>(picture.results), picture.startFrequency);
  }
}

QImage RenderSweepImage(const SweepPicture& picture) {
  return RenderDrawingImage(SweepDrawing(picture));
}

bool RenderSweepPicture(const SweepPicture& picture, const QString& path, QString* error) {
  return WriteDrawing(SweepDrawing(picture), path, error);
}

}  // namespace recmod
