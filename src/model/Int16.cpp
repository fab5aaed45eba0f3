#include "model/Int16.hpp"

#include <cmath>
#include <string>

#include "model/RuntimeError.hpp"

namespace recmod {

std::int16_t CheckedInt16(long long value) {
  if (value < INT16_MIN || value > INT16_MAX) {
    throw RuntimeError(ErrorKind::Overflow, std::to_string(value) + " is outside -32768..32767");
  }
  return static_cast<std::int16_t>(value);
}

std::int16_t RoundToInt16(double value) {
  if (std::isnan(value)) throw RuntimeError(ErrorKind::InvalidOperation, "not a number");
  // nearbyint rounds halves to even in the default rounding mode.
  const double rounded = std::nearbyint(value);
  if (rounded < INT16_MIN || rounded > INT16_MAX) {
    throw RuntimeError(ErrorKind::Overflow, "a 16-bit value outside -32768..32767");
  }
  return static_cast<std::int16_t>(rounded);
}

}  // namespace recmod
