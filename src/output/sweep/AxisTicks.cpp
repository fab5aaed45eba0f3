#include "output/sweep/AxisTicks.hpp"

#include <algorithm>
#include <cmath>

#include "numbers/NumberText.hpp"

namespace recmod {

namespace {

std::string WithoutSignBlank(std::string text) {
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

}  // namespace

std::vector<double> AxisTicks(double low, double high, int most) {
  if (!std::isfinite(low) || !std::isfinite(high)) return {};
  if (high < low) std::swap(low, high);
  if (high == low) return {low};
  most = std::max(most, 2);
  const double span = high - low;
  // The smallest round step that keeps the ticks within `most`.
  const double magnitude = std::pow(10.0, std::floor(std::log10(span / most)));
  std::vector<double> ticks;
  for (const double factor : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
    const double step = factor * magnitude;
    const double first = std::ceil(low / step - 1e-9);
    const double last = std::floor(high / step + 1e-9);
    if (last - first + 1.0 > most) continue;
    for (double k = first; k <= last; k += 1.0) {
      // k * step may carry the rounding of the product (0.15000000000000002);
      // the labels' number format rounds that away.
      const double tick = k * step;
      ticks.push_back(std::abs(tick) < step * 1e-9 ? 0.0 : tick);
    }
    break;
  }
  // A narrow range between two round values keeps at least its ends.
  if (ticks.size() < 2) ticks = {low, high};
  return ticks;
}

std::string PictureNumberText(double value) {
  return WithoutSignBlank(NumberText(value));
}

std::string PictureNumberTextSingle(float value) {
  return WithoutSignBlank(NumberTextSingle(value));
}

IndexPosition PositionAmong(const std::vector<double>& points, double value) {
  const std::size_t n = points.size();
  if (n == 0) return {};
  if (n == 1) return {value == points[0], 0.0};
  for (std::size_t i = 1; i < n; ++i) {
    if (!(points[i] > points[i - 1])) return {};
  }
  // The pair around the value, or the nearest pair beyond the ends.
  std::size_t upper = static_cast<std::size_t>(
      std::upper_bound(points.begin(), points.end(), value) - points.begin());
  upper = std::clamp<std::size_t>(upper, 1, n - 1);
  const std::size_t lower = upper - 1;
  const double t = (value - points[lower]) / (points[upper] - points[lower]);
  return {true, static_cast<double>(lower) + t};
}

}  // namespace recmod
