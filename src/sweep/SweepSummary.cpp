#include "sweep/SweepSummary.hpp"

#include <cmath>

namespace recmod {

namespace {
// The 97.5 % quantile of the standard normal distribution.
constexpr double kZ = 1.959963984540054;
}  // namespace

Share WilsonShare(std::int64_t k, std::int64_t n) {
  if (n <= 0) return {};
  const double size = static_cast<double>(n);
  const double p = static_cast<double>(k) / size;
  const double z2 = kZ * kZ;
  const double denominator = 1.0 + z2 / size;
  const double centre = (p + z2 / (2.0 * size)) / denominator;
  const double half = kZ * std::sqrt(p * (1.0 - p) / size + z2 / (4.0 * size * size)) / denominator;
  // At k = 0 (or n) the interval starts at 0 (or ends at 1) exactly; the
  // rounding of centre - half would leave a few ulps there instead.
  const double low = k == 0 ? 0.0 : std::fmax(0.0, centre - half);
  const double high = k == n ? 1.0 : std::fmin(1.0, centre + half);
  return {p, low, high};
}

void PointSummary::Add(const RunEnd& end) {
  const double rPlus = end.rPlus;
  // Welford's running mean and sum of squared deviations.
  ++count_;
  const double delta = rPlus - mean_;
  mean_ += delta / static_cast<double>(count_);
  squares_ += delta * (rPlus - mean_);
  if (end.outcome == RunOutcome::Fixed) {
    ++fixed_;
    fixationGenerations_ += static_cast<double>(end.absorbedAt);
  } else if (end.outcome == RunOutcome::Lost) {
    ++lost_;
  }
}

double PointSummary::standardDeviation() const {
  return count_ > 1 ? std::sqrt(squares_ / static_cast<double>(count_ - 1)) : 0.0;
}

double PointSummary::standardError() const {
  return count_ > 0 ? standardDeviation() / std::sqrt(static_cast<double>(count_)) : 0.0;
}

std::optional<double> PointSummary::meanFixationGeneration() const {
  if (fixed_ == 0) return std::nullopt;
  return fixationGenerations_ / static_cast<double>(fixed_);
}

}  // namespace recmod
