#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace recmod {

// The values one variable of the loop over S and K takes: it starts at `from`
// and grows by repeated addition of `step` (carrying the rounding of the
// additions) while it stays at or below `to` + 0.0001, so that `to` itself is
// visited despite that rounding.
struct SweepRange {
  double from = 0.0;
  double to = 0.0;
  double step = 0.0;
};

// The window's loops: S = 0.01 .. 0.2 (20 values), K = 0.8 .. 1.2 (41 values).
inline constexpr SweepRange kDefaultSSweep{0.01, 0.2, 0.01};
inline constexpr SweepRange kDefaultKSweep{0.8, 1.2, 0.01};

// More values than this make a sweep that would not end in reasonable time.
inline constexpr std::size_t kMaxSweepValues = 100000;

// Every value of the range, in order. Call only for a range that
// SweepRangeProblem accepts.
std::vector<double> SweepValues(const SweepRange& range);

// Why a range cannot be swept (a bound or step that is not a finite number,
// a step that is not positive, `from` above `to`, more than kMaxSweepValues
// values), or nothing when it can.
std::optional<std::string> SweepRangeProblem(const SweepRange& range);

}  // namespace recmod
