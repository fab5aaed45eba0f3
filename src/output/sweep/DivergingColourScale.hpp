#pragma once

#include "output/PlotSurface.hpp"

namespace recmod {

// The colour of a final R+ frequency in a picture of a sweep: white at the
// start frequency of R+ (`centre`), growing to the plot's R+ red (192, 0, 0)
// at 1 where R+ gained, and to its R- blue (0, 0, 255) at 0 where R+ lost.
// Values outside 0..1 take the colour of the nearer end.
Rgb DivergingColour(double value, double centre);

// The same with the full colours at `low` and `high` instead of 0 and 1.
Rgb DivergingColour(double value, double low, double centre, double high);

}  // namespace recmod
