#include "output/sweep/DivergingColourScale.hpp"

#include <algorithm>
#include <cmath>

namespace recmod {

namespace {

constexpr Rgb kWhite{255, 255, 255};

std::uint8_t Mix(std::uint8_t from, std::uint8_t to, double t) {
  const double value = static_cast<double>(from) + (static_cast<double>(to) - from) * t;
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

Rgb Mix(Rgb from, Rgb to, double t) {
  return {Mix(from.red, to.red, t), Mix(from.green, to.green, t), Mix(from.blue, to.blue, t)};
}

}  // namespace

Rgb DivergingColour(double value, double centre) {
  return DivergingColour(value, 0.0, centre, 1.0);
}

Rgb DivergingColour(double value, double low, double centre, double high) {
  const double v = std::clamp(value, low, high);
  // Each side of the centre has its own span, so both ends reach full colour
  // whatever the centre.
  if (v > centre)
    return centre >= high ? kSexColour : Mix(kWhite, kSexColour, (v - centre) / (high - centre));
  if (v < centre)
    return centre <= low ? kAsexColour : Mix(kWhite, kAsexColour, (centre - v) / (centre - low));
  return kWhite;
}

}  // namespace recmod
