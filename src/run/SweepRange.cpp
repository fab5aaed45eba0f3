#include "run/SweepRange.hpp"

#include <cmath>

#include "run/LoopRuns.hpp"
#include "run/ValueGrid.hpp"

namespace recmod {

namespace {

ValueGrid GridOf(const SweepRange& range) {
  return ValueGrid{range.from, range.to, range.step};
}

}  // namespace

std::vector<double> SweepValues(const SweepRange& range) {
  if (range == kDefaultSSweep) return SKLoopSValues();
  if (range == kDefaultKSweep) return SKLoopKValues();
  return GridValues(GridOf(range), kMaxSweepValues);
}

std::optional<std::string> SweepRangeProblem(const SweepRange& range) {
  if (!std::isfinite(range.from) || !std::isfinite(range.to) || !std::isfinite(range.step)) {
    return "FROM, TO and STEP must be finite numbers";
  }
  if (!(range.step > 0.0)) return "STEP must be greater than 0";
  if (range.from > range.to) return "FROM must not be greater than TO";
  if (GridCount(GridOf(range), kMaxSweepValues) > kMaxSweepValues) {
    return "the range has more than " + std::to_string(kMaxSweepValues) + " values";
  }
  return std::nullopt;
}

}  // namespace recmod
