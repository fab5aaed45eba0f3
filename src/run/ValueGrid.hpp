#pragma once

#include <cstddef>
#include <vector>

namespace recmod {

// An inclusive grid FROM:TO:STEP of one swept variable. Value i is
// FROM + i*STEP, computed from i rather than by repeated addition (whose
// rounding grows along the grid), so no value leaves [FROM, TO]: a value that
// passes TO only by rounding (0.8 + 40*0.01 = 1.2000000000000002) is TO
// itself, and TO is a value whenever (TO - FROM)/STEP is a whole number up to
// rounding. Call the functions below only for finite FROM <= TO and STEP > 0.
struct ValueGrid {
  double from = 0.0;
  double to = 0.0;
  double step = 0.0;
};

// How many values the grid has, or `limit` + 1 when it has more than `limit`.
std::size_t GridCount(const ValueGrid& grid, std::size_t limit);

// Value `index` of the grid (below GridCount).
double GridValue(const ValueGrid& grid, std::size_t index);

// Every value of a grid of at most `limit` values, in order.
std::vector<double> GridValues(const ValueGrid& grid, std::size_t limit);

}  // namespace recmod
