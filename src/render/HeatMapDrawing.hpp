#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "output/sweep/ColourScaleRange.hpp"
#include "output/sweep/ContourLines.hpp"

class QPainter;

namespace recmod {

// Where a heat map puts things: one cell per point of a grid, the first
// values growing to the right and the second upwards, and the colour bar at
// the right.
struct HeatMapLayout {
  QRectF plot;       // the cells, with whole-pixel edges
  QRectF colourBar;  // top row is frequency barHigh, bottom row barLow
  double barLow = 0.0;
  double barHigh = 1.0;
  int columns = 0;
  int rows = 0;

  // The cell of the column-th and the row-th value (row 0 at the bottom).
  QRectF Cell(int column, int row) const;
  // The centre of a cell, for fractional grid coordinates too.
  QPointF GridPoint(double column, double row) const;
  // The pixel row of the colour bar that shows `frequency`.
  double ColourBarY(double frequency) const;
};
HeatMapLayout LayoutHeatMap(int columns, int rows, const ColourScaleRange& range);

// What a heat map shows: final R+ frequencies over a grid of two axes,
// coloured from blue (lost) through white at the start frequency (the
// range's centre, where the contour runs) to red (gained).
struct HeatMap {
  QString title;
  QString columnTitle;  // the axis across
  QString rowTitle;     // the axis upwards
  std::vector<double> columnValues;
  std::vector<double> rowValues;
  bool columnLogScale = false;
  bool rowLogScale = false;
  bool labelEachOfFewCells = false;  // GridTicks' eachFewCell
  GridValues values;                 // values[column][row]; beyond a short column, or NaN: no run
  ColourScaleRange range;
  QString colourBarTitle;  // "Final R+ frequency"
  QString contourWords;    // the legend of the contour, before "(.5)"
};

// Draws the heat map, its axes, the colour bar and the legend on a picture of
// drawing::kPictureSize.
void PaintHeatMap(QPainter& painter, const HeatMap& map);

}  // namespace recmod
