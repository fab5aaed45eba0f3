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

namespace {

// m times the power of ten `exponent`, rounded once: 5E-04 is 5 / 10^4, the
// double nearest to 0.0005.
double TimesPowerOfTen(double m, int exponent) {
  return exponent < 0 ? m / std::pow(10.0, -exponent) : m * std::pow(10.0, exponent);
}

}  // namespace

std::vector<double> LogAxisTicks(double low, double high, int most) {
  if (!(low > 0.0) || !(high > 0.0) || !std::isfinite(low) || !std::isfinite(high)) return {};
  if (high < low) std::swap(low, high);
  most = std::max(most, 2);
  const int first = static_cast<int>(std::floor(std::log10(low)));
  const int last = static_cast<int>(std::ceil(std::log10(high)));
  auto within = [&](double tick) { return tick >= low * (1 - 1e-9) && tick <= high * (1 + 1e-9); };
  auto ticksOf = [&](const std::vector<double>& mantissas, int every) {
    std::vector<double> ticks;
    // Every `every`-th power of ten, counted from a multiple of `every`.
    for (int exponent = first; exponent <= last; ++exponent) {
      if (exponent % every != 0) continue;
      for (const double m : mantissas) {
        const double tick = TimesPowerOfTen(m, exponent);
        if (within(tick)) ticks.push_back(tick);
      }
    }
    return ticks;
  };
  std::vector<double> ticks = ticksOf({1.0, 2.0, 5.0}, 1);
  // A double's powers of ten span about 630: every 200th leaves at most 4.
  for (const int every : {1, 2, 3, 5, 10, 20, 50, 100, 200}) {
    if (static_cast<int>(ticks.size()) <= most) break;
    ticks = ticksOf({1.0}, every);
  }
  if (ticks.size() < 2) ticks = AxisTicks(low, high, most);
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
