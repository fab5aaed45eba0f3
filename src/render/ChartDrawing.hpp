#pragma once

#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace recmod {

// Where a chart of final R+ frequencies against one axis puts things: the
// axis across (in log10 of its values on a log axis), the frequency from
// yLow at the bottom to yHigh at the top.
struct ChartLayout {
  QRectF plot{90.0, 50.0, 630.0, 420.0};
  double xLow = 0.0;  // on a log axis, log10 of the values
  double xHigh = 1.0;
  bool logScale = false;
  double yLow = 0.0;
  double yHigh = 1.0;

  QPointF At(double x, double frequency) const;
};

// Horizontal grid lines at round frequencies with their labels at the left,
// in the ticks' font.
void DrawFrequencyAxis(QPainter& painter, const ChartLayout& layout);

// The start frequency of R+ as a dashed line across the plot; returns its pen
// for the legend.
QPen DrawStartLine(QPainter& painter, const ChartLayout& layout, double startFrequency);

// The means, joined by a line, as dots.
void DrawMeans(QPainter& painter, const std::vector<QPointF>& means, double dotRadius = 4.0);

}  // namespace recmod
