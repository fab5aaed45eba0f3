#pragma once

#include <string>
#include <vector>

namespace recmod {

// Round values for the ticks of an axis from `low` to `high`: multiples of
// 1, 2 or 5 times a power of ten, as many as fit in `most` (at least 2) and
// no fewer than 2 where the range allows. A range of one value gives that
// value alone.
std::vector<double> AxisTicks(double low, double high, int most);

// The ticks of a log axis from `low` to `high` (both > 0): 1, 2 and 5 times
// the powers of ten, or the powers of ten alone, or every second, fifth, ...
// power of ten, whichever is the richest that fits in `most`. A range too
// narrow for two of them takes AxisTicks' round values. Nothing when an end is
// not positive.
std::vector<double> LogAxisTicks(double low, double high, int most);

// The label of a tick or a value in a picture: the report number format with
// its sign blank left out (".05", "1E-05", "-.25").
std::string PictureNumberText(double value);
std::string PictureNumberTextSingle(float value);

// Where `value` lies along a row of increasing `points` (at positions 0, 1,
// 2, ...), by linear interpolation between the two points around it and
// beyond the ends by the spacing of the nearest pair. Nothing when the points
// do not increase.
struct IndexPosition {
  bool valid = false;
  double index = 0.0;
};
IndexPosition PositionAmong(const std::vector<double>& points, double value);

}  // namespace recmod
