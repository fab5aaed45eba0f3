#include "run/ValueGrid.hpp"

#include <algorithm>
#include <cmath>

namespace recmod {

namespace {

// How far (TO - FROM)/STEP may miss a whole number and still count as that
// number: the few units in the last place that the division and the decimal
// texts of the three numbers carry, with room to spare.
constexpr double kRoundingTolerance = 1e-9;

}  // namespace

std::size_t GridCount(const ValueGrid& grid, std::size_t limit) {
  const double intervals = (grid.to - grid.from) / grid.step;
  if (!(intervals < static_cast<double>(limit))) return limit + 1;
  const double nearest = std::round(intervals);
  const bool wholeUpToRounding =
      std::abs(intervals - nearest) <= kRoundingTolerance * std::max(1.0, nearest);
  const double last = wholeUpToRounding ? nearest : std::floor(intervals);
  return std::min(static_cast<std::size_t>(last) + 1, limit + 1);
}

double GridValue(const ValueGrid& grid, std::size_t index) {
  const double value = grid.from + static_cast<double>(index) * grid.step;
  return std::min(value, grid.to);
}

std::vector<double> GridValues(const ValueGrid& grid, std::size_t limit) {
  const std::size_t count = std::min(GridCount(grid, limit), limit);
  std::vector<double> values;
  values.reserve(count);
  for (std::size_t i = 0; i < count; ++i) values.push_back(GridValue(grid, i));
  return values;
}

}  // namespace recmod
