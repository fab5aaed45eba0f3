#pragma once

#include <cstdint>

namespace recmod {

// A colour as red, green, blue components.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace recmod
