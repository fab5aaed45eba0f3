#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include "output/sweep/ColourScaleRange.hpp"
#include "output/sweep/SweepReports.hpp"

class QPainter;

namespace recmod {

// The size in pixels of every picture of a sweep.
inline constexpr QSize kSweepPictureSize{760, 560};

// Where the heat map of a loop over S and K puts things: one cell per run, S
// growing to the right and K upwards, and the colour bar at the right.
struct HeatMapLayout {
  QRectF plot;       // the cells, with whole-pixel edges
  QRectF colourBar;  // top row is frequency barHigh, bottom row barLow
  double barLow = 0.0;
  double barHigh = 1.0;
  int columns = 0;  // values of S
  int rows = 0;     // values of K

  // The cell of the column-th S and the row-th K (row 0 at the bottom).
  QRectF Cell(int column, int row) const;
  // The centre of a cell, for fractional grid coordinates too.
  QPointF GridPoint(double column, double row) const;
  // The pixel row of the colour bar that shows `frequency`.
  double ColourBarY(double frequency) const;
};
HeatMapLayout LayoutHeatMap(const SkSweep& sweep);
// The colour bar spanning the picture's colour range.
HeatMapLayout LayoutHeatMap(const SkSweep& sweep, const ColourScaleRange& range);

// The colour range of the heat map of `picture`: from its results, or the
// half-width it fixes.
ColourScaleRange HeatMapColourRange(const SweepPicture& picture);

// Where the chart of a loop over Log10(N) puts things: Log10(N) across, the
// R+ frequency from 0 at the bottom to 1 at the top.
struct Log10NChartLayout {
  QRectF plot;
  double xLow = 0.0;
  double xHigh = 1.0;

  QPointF At(double log10N, double frequency) const;
};
Log10NChartLayout LayoutLog10NChart(const Log10NSweep& sweep);

// Draws the picture of a sweep on a surface of kSweepPictureSize: a heat map
// of the final R+ frequency over S and K, or the mean final R+ frequency
// against Log10(N). The one drawing for PNG and SVG, from the window and from
// the batch program alike.
void PaintSweepPicture(QPainter& painter, const SweepPicture& picture);

QImage RenderSweepImage(const SweepPicture& picture);

// Writes the picture to `path`: an SVG drawing when the name ends in ".svg"
// (any case), otherwise a PNG image. Needs a QGuiApplication (the offscreen
// platform will do). Returns false and says why in `error` when the file
// cannot be written.
bool RenderSweepPicture(const SweepPicture& picture, const QString& path, QString* error = nullptr);

}  // namespace recmod
