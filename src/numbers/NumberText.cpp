#include "numbers/NumberText.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {

std::string Format(double value, int significantDigits, int positionalLimit) {
  if (!std::isfinite(value)) {
    throw RuntimeError(ErrorKind::InvalidOperation,
                       "a number that is not finite cannot be written");
  }
  if (value == 0.0) return " 0";
  // std::to_chars writes the C locale's form whatever locale the process
  // runs under (a decimal comma would tear the digits apart below).
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer - 1, value,
                                     std::chars_format::scientific, significantDigits - 1);
  *written.ptr = '\0';
  // buffer: [-]d.ddddde[+-]XX
  const char* p = buffer;
  const bool negative = *p == '-';
  if (negative) ++p;
  std::string digits;
  while (*p != 'e') {
    if (*p != '.') digits += *p;
    ++p;
  }
  int exponent = 0;
  const char* exponentStart = p + 1;
  if (*exponentStart == '+') ++exponentStart;
  std::from_chars(exponentStart, written.ptr, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string body;
  if (exponent > -5 && exponent < positionalLimit) {
    const int pointAfter = exponent + 1;  // digits before the decimal point
    if (pointAfter <= 0) {
      body.assign(1, '.');
      body.append(static_cast<std::size_t>(-pointAfter), '0');
      body.append(digits);
    } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
      body = digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
    } else {
      body = digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." +
             digits.substr(static_cast<std::size_t>(pointAfter));
    }
  } else {
    body = digits.substr(0, 1);
    if (digits.size() > 1) {
      body += '.';
      body.append(digits, 1);
    }
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    body += exponentText;
  }
  std::string text(1, negative ? '-' : ' ');
  text.append(body);
  return text;
}

}  // namespace

std::string NumberText(double value) {
  return Format(value, 15, 15);
}

std::string NumberTextSingle(float value) {
  return Format(static_cast<double>(value), 7, 7);
}

std::string NumberTextInteger(long long value) {
  std::string text = value < 0 ? std::string() : std::string(1, ' ');
  text.append(std::to_string(value));
  return text;
}

}  // namespace recmod
