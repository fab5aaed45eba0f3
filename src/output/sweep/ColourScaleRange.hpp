#pragma once

#include <optional>
#include <vector>

namespace recmod {

// The final R+ frequencies that the colours of a heat map span: white at the
// start frequency (`centre`), full colour at `low` and `high`. Small effects
// (1e-4 around the start) need a narrow span to show at all.
struct ColourScaleRange {
  double low = 0.0;
  double centre = 0.5;
  double high = 1.0;
  double halfWidth = 0.5;  // the span asked for; low and high stay within 0..1
};

// The least of 1, 2, 2.5 and 5 times a power of ten that is at least `value`
// (> 0): 0.00013 -> 0.0002, 0.3 -> 0.5.
double ReadableStepAtLeast(double value);

// The span of a heat map: `halfWidth` either side of the centre when given,
// otherwise the largest deviation of any result from the centre rounded up to
// a readable step; the whole of 0..1 when every result sits at the centre.
// The ends are cut to 0..1.
ColourScaleRange ColourScaleRangeOf(const std::vector<double>& results, double centre,
                                    std::optional<double> halfWidth = std::nullopt);

}  // namespace recmod
