#include "output/sweep/ColourScaleRange.hpp"

#include <algorithm>
#include <cmath>

namespace recmod {

double ReadableStepAtLeast(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    // A relative margin, so that 0.0002 computed as 2 x 1e-4 counts as 0.0002.
    if (mantissa * power >= value * (1.0 - 1e-12)) return mantissa * power;
  }
  return 10.0 * power;
}

ColourScaleRange ColourScaleRangeOf(const std::vector<double>& results, double centre,
                                    std::optional<double> halfWidth) {
  double deviation = 0.0;
  for (const double value : results) {
    if (std::isfinite(value)) deviation = std::max(deviation, std::abs(value - centre));
  }
  ColourScaleRange range;
  range.centre = centre;
  const double full = std::max(centre, 1.0 - centre);
  if (halfWidth) {
    range.halfWidth = *halfWidth;
  } else {
    range.halfWidth = deviation > 0.0 ? std::min(ReadableStepAtLeast(deviation), full) : full;
  }
  range.low = std::max(0.0, centre - range.halfWidth);
  range.high = std::min(1.0, centre + range.halfWidth);
  return range;
}

}  // namespace recmod
