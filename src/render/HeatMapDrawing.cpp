#include "HeatMapDrawing.hpp"

#include <QPainter>
#include <QPen>
#include <cmath>

#include "PictureDrawing.hpp"
#include "QtColour.hpp"
#include "output/sweep/DivergingColourScale.hpp"

namespace recmod {

using namespace drawing;

QRectF HeatMapLayout::Cell(int column, int row) const {
  auto edge = [](double origin, double length, int count, int index) {
    return origin + std::round(length * index / count);
  };
  const double x0 = edge(plot.left(), plot.width(), columns, column);
  const double x1 = edge(plot.left(), plot.width(), columns, column + 1);
  const double bottom = plot.top() + plot.height();
  const double y1 = bottom - std::round(plot.height() * row / rows);
  const double y0 = bottom - std::round(plot.height() * (row + 1) / rows);
  return {x0, y0, x1 - x0, y1 - y0};
}

QPointF HeatMapLayout::GridPoint(double column, double row) const {
  const double cellWidth = columns > 0 ? plot.width() / columns : plot.width();
  const double cellHeight = rows > 0 ? plot.height() / rows : plot.height();
  return {plot.left() + (column + 0.5) * cellWidth,
          plot.top() + plot.height() - (row + 0.5) * cellHeight};
}

double HeatMapLayout::ColourBarY(double frequency) const {
  const double span = barHigh > barLow ? barHigh - barLow : 1.0;
  return colourBar.top() + std::round((barHigh - frequency) / span * (colourBar.height() - 1.0));
}

HeatMapLayout LayoutHeatMap(int columns, int rows, const ColourScaleRange& range) {
  HeatMapLayout layout;
  layout.plot = QRectF(90.0, 50.0, 530.0, 420.0);
  layout.colourBar = QRectF(650.0, 50.0, 24.0, 420.0);
  layout.columns = columns;
  layout.rows = rows;
  layout.barLow = range.low;
  layout.barHigh = range.high;
  return layout;
}

namespace {

// The colour bar: the range's high end at the top, its low end at the
// bottom, white at the start frequency, with the half-width below it.
void DrawColourBar(QPainter& painter, const HeatMapLayout& layout, const HeatMap& map,
                   const auto& colourOf) {
  const double startFrequency = map.range.centre;
  const QRectF& bar = layout.colourBar;
  const int top = static_cast<int>(bar.top());
  const int height = static_cast<int>(bar.height());
  // The row nearest the start frequency shows it exactly: white.
  const int startRow = static_cast<int>(layout.ColourBarY(startFrequency)) - top;
  for (int y = 0; y < height; ++y) {
    const double span = layout.barHigh - layout.barLow;
    double frequency =
        height > 1 ? layout.barHigh - span * static_cast<double>(y) / (height - 1) : layout.barHigh;
    if (y == startRow) frequency = startFrequency;
    painter.fillRect(QRectF(bar.left(), top + y, bar.width(), 1.0), colourOf(frequency));
  }
  DrawFrame(painter, bar);
  painter.setFont(PictureFont(13));
  const double barRight = bar.right() + 1.0;
  const double startY = layout.ColourBarY(startFrequency);
  for (const double frequency : {startFrequency, layout.barLow, layout.barHigh}) {
    const double y = layout.ColourBarY(frequency);
    // An end too near the start frequency leaves its label to it.
    if (frequency != startFrequency && std::abs(y - startY) < 16.0) continue;
    painter.drawLine(QPointF(barRight, y), QPointF(barRight + kTickLength, y));
    QString label = NumberLabel(frequency);
    if (frequency == startFrequency) label += QStringLiteral(" start");
    DrawTextAt(painter, QPointF(barRight + kTickLength + 3.0, y), label,
               Qt::AlignLeft | Qt::AlignVCenter);
  }
  // The half-width, so that pictures with different ranges are not misread.
  DrawTextAt(painter, QPointF(bar.center().x(), bar.bottom() + 8.0),
             QStringLiteral("±%1").arg(NumberLabel(map.range.halfWidth)),
             Qt::AlignHCenter | Qt::AlignTop);
  painter.setFont(PictureFont(14, true));
  DrawUpwardText(painter, QPointF(kPictureSize.width() - 18.0, bar.center().y()),
                 map.colourBarTitle);
}

}  // namespace

void PaintHeatMap(QPainter& painter, const HeatMap& map) {
  const double startFrequency = map.range.centre;
  const HeatMapLayout layout = LayoutHeatMap(static_cast<int>(map.columnValues.size()),
                                             static_cast<int>(map.rowValues.size()), map.range);
  auto colourOf = [&](double value) {
    return ToQColor(DivergingColour(value, map.range.low, startFrequency, map.range.high));
  };
  DrawTitle(painter, map.title);

  // Cells without smoothing, so that neighbours meet without a seam.
  painter.setRenderHint(QPainter::Antialiasing, false);
  bool anyMissing = false;
  const std::vector<double> none;
  for (int column = 0; column < layout.columns; ++column) {
    const auto columnSlot = static_cast<std::size_t>(column);
    const std::vector<double>& values =
        columnSlot < map.values.size() ? map.values[columnSlot] : none;
    for (int row = 0; row < layout.rows; ++row) {
      const auto slot = static_cast<std::size_t>(row);
      const bool missing = slot >= values.size() || std::isnan(values[slot]);
      anyMissing = anyMissing || missing;
      painter.fillRect(layout.Cell(column, row), missing ? kMissing : colourOf(values[slot]));
    }
  }
  DrawFrame(painter, layout.plot);
  if (layout.columns == 0 || layout.rows == 0) DrawNoRuns(painter, layout.plot);

  // Where R+ ends at its start frequency.
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QPen contourPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(contourPen);
  for (const ContourSegment& segment : ContourSegments(map.values, startFrequency)) {
    painter.drawLine(layout.GridPoint(segment.x1, segment.y1),
                     layout.GridPoint(segment.x2, segment.y2));
  }

  // Axes: ticks, their values and the titles.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(PictureFont(13));
  painter.setPen(QPen(kInk, 1));
  const QRectF& plot = layout.plot;
  for (const Tick& tick :
       GridTicks(map.columnValues, map.columnLogScale, map.labelEachOfFewCells)) {
    DrawBottomTick(painter, plot, std::round(layout.GridPoint(tick.index, 0.0).x()), tick.label);
  }
  for (const Tick& tick : GridTicks(map.rowValues, map.rowLogScale, map.labelEachOfFewCells)) {
    DrawLeftTick(painter, plot, std::round(layout.GridPoint(0.0, tick.index).y()), tick.label);
  }
  painter.setFont(PictureFont(15, true));
  DrawBottomTitle(painter, plot, map.columnTitle);
  // A one-letter title stands upright; a longer one would reach the edge.
  DrawLeftTitle(painter, plot, map.rowTitle, map.rowTitle.size() > 2);

  DrawColourBar(painter, layout, map, colourOf);

  painter.setFont(PictureFont(13));
  const double legendY = LegendY();
  const double x =
      DrawLegendLine(painter, plot.left(), legendY, contourPen,
                     QStringLiteral("%1 (%2)").arg(map.contourWords, NumberLabel(startFrequency)));
  DrawTextAt(painter, QPointF(x, legendY),
             QStringLiteral("red: R+ gained, blue: R+ lost") +
                 (anyMissing ? QStringLiteral(", grey: no run") : QString()),
             Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace recmod
