#include "control/SweepRange.hpp"

#include <cmath>

namespace recmod {

namespace {

constexpr double kEndAllowance = 0.0001;

// Counts the values, stopping once there are more than `limit`.
std::size_t CountValues(const SweepRange& range, std::size_t limit) {
  const double end = range.to + kEndAllowance;
  std::size_t count = 0;
  for (double value = range.from; value <= end && count <= limit; value = value + range.step) {
    ++count;
  }
  return count;
}

}  // namespace

std::vector<double> SweepValues(const SweepRange& range) {
  const double end = range.to + kEndAllowance;
  std::vector<double> values;
  for (double value = range.from; value <= end; value = value + range.step) {
    values.push_back(value);
  }
  return values;
}

std::optional<std::string> SweepRangeProblem(const SweepRange& range) {
  if (!std::isfinite(range.from) || !std::isfinite(range.to) || !std::isfinite(range.step)) {
    return "FROM, TO and STEP must be finite numbers";
  }
  if (!(range.step > 0.0)) return "STEP must be greater than 0";
  if (range.from > range.to) return "FROM must not be greater than TO";
  // A step too small to change the value would loop for ever; the count
  // stops at the limit in that case too.
  if (CountValues(range, kMaxSweepValues) > kMaxSweepValues) {
    return "the range has more than " + std::to_string(kMaxSweepValues) + " values";
  }
  return std::nullopt;
}

}  // namespace recmod
