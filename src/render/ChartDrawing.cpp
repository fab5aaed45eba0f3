#include "ChartDrawing.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "PictureDrawing.hpp"
#include "output/sweep/AxisTicks.hpp"

namespace recmod {

using namespace drawing;

QPointF ChartLayout::At(double x, double frequency) const {
  const double across = logScale ? std::log10(x) : x;
  return {plot.left() + (across - xLow) / (xHigh - xLow) * plot.width(),
          plot.top() + (yHigh - frequency) / (yHigh - yLow) * plot.height()};
}

void DrawFrequencyAxis(QPainter& painter, const ChartLayout& layout) {
  const QRectF& plot = layout.plot;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(PictureFont(13));
  for (const double frequency : AxisTicks(layout.yLow, layout.yHigh, kMostTicks)) {
    const double y = std::round(plot.top() + (layout.yHigh - frequency) /
                                                 (layout.yHigh - layout.yLow) * plot.height());
    painter.setPen(QPen(kGrid, 1));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(QPen(kInk, 1));
    DrawLeftTick(painter, plot, y, NumberLabel(frequency));
  }
}

QPen DrawStartLine(QPainter& painter, const ChartLayout& layout, double startFrequency) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QPen startPen(kStartLine, 1.5, Qt::DashLine);
  painter.setPen(startPen);
  const double startY = layout.At(layout.logScale ? 1.0 : 0.0, startFrequency).y();
  painter.drawLine(QPointF(layout.plot.left(), startY), QPointF(layout.plot.right(), startY));
  return startPen;
}

void DrawMeans(QPainter& painter, const std::vector<QPointF>& means, double dotRadius) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kSex, 1.0));
  painter.setBrush(Qt::NoBrush);
  QPainterPath line;
  for (const QPointF& at : means) {
    if (line.elementCount() == 0) {
      line.moveTo(at);
    } else {
      line.lineTo(at);
    }
  }
  painter.drawPath(line);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSex);
  for (const QPointF& at : means) painter.drawEllipse(at, dotRadius, dotRadius);
}

}  // namespace recmod
