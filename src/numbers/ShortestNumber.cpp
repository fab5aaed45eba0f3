#include "numbers/ShortestNumber.hpp"

#include <charconv>
#include <cstdlib>

namespace recmod {

namespace {

template <typename Number>
std::string Shortest(Number value) {
  char buffer[400];
  char* const end = buffer + sizeof buffer;
  const auto scientific = std::to_chars(buffer, end, value, std::chars_format::scientific);
  const std::string text(buffer, scientific.ptr);
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;  // inf, nan
  const long exponent = std::strtol(text.c_str() + e + 1, nullptr, 10);
  if (exponent < -4 || exponent > 15) return text;
  const auto fixed = std::to_chars(buffer, end, value, std::chars_format::fixed);
  return std::string(buffer, fixed.ptr);
}

}  // namespace

std::string ShortestNumber(double value) {
  return Shortest(value);
}

std::string ShortestNumber(float value) {
  return Shortest(value);
}

}  // namespace recmod
