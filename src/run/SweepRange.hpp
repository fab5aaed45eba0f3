#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace recmod {

// The values one variable of the loop over S and K takes: the grid
// `from`:`to`:`step` of ValueGrid, except for the window's own two ranges
// below, which give the values the window's loop visits.
struct SweepRange {
  double from = 0.0;
  double to = 0.0;
  double step = 0.0;
  bool operator==(const SweepRange&) const = default;
};

// The window's loops: S = 0.01 .. 0.2 (20 values), K = 0.8 .. 1.2 (41 values).
inline constexpr SweepRange kDefaultSSweep{0.01, 0.2, 0.01};
inline constexpr SweepRange kDefaultKSweep{0.8, 1.2, 0.01};

// More values than this make a sweep that would not end in reasonable time.
inline constexpr std::size_t kMaxSweepValues = 100000;

// Every value of the range, in order: for the window's ranges the values of
// SKLoopSValues and SKLoopKValues (reached by repeated addition, so the last
// K is 1.2000000000000004), for every other range its grid (no value outside
// `from` .. `to`). Call only for a range that SweepRangeProblem accepts.
std::vector<double> SweepValues(const SweepRange& range);

// Why a range cannot be swept (a bound or step that is not a finite number,
// a step that is not positive, `from` above `to`, more than kMaxSweepValues
// values), or nothing when it can.
std::optional<std::string> SweepRangeProblem(const SweepRange& range);

}  // namespace recmod
