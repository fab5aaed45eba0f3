#pragma once

#include <vector>

namespace recmod {

// A piece of a contour line, in grid coordinates: x is the column and y the
// row of the grid's points, fractional between them.
struct ContourSegment {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
};

// Values on a grid of points, values[column][row]; a missing value is NaN.
// Columns may be shorter than others (their last rows are missing).
using GridValues = std::vector<std::vector<double>>;

// The line where the values cross `level`, by marching squares: in every
// square of four neighbouring points with values on both sides of the level,
// the crossings of its edges are found by linear interpolation and joined.
// A point at or above the level counts as above. Where the two diagonals of a
// square lie on opposite sides (a saddle) the mean of the four corners
// decides which corners the line separates. Squares with a missing corner
// have no line.
std::vector<ContourSegment> ContourSegments(const GridValues& values, double level);

}  // namespace recmod
