#include "numbers/DecimalParse.hpp"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "model/Int16.hpp"
#include "model/RuntimeError.hpp"

namespace recmod {

namespace {
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Copies the number at the start of `text` (after blanks) into `number` and
// returns the position just after it; 0 when the text does not begin with one.
std::size_t ScanDecimal(std::string_view text, std::string& number) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool anyDigit = false;
  while (i < text.size() && IsDigit(text[i])) {
    number += text[i++];
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;
  // An exponent counts only when at least one digit follows it.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
      number += exponent;
      i = j;
    }
  }
  return i;
}

// A number's text as an error message shows it: a very long one is cut short.
std::string Shown(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return std::string(text);
  return std::string(text.substr(0, kShown)) + "... (" + std::to_string(text.size()) +
         " characters)";
}

}  // namespace

std::size_t DecimalNumberEnd(std::string_view text) {
  std::string number;
  return ScanDecimal(text, number);
}

double ParseDecimal(std::string_view text) {
  std::string number;
  if (ScanDecimal(text, number) == 0) return 0.0;
  // strtod would read the point by the process's locale (a decimal comma
  // under de_DE): the C locale is used explicitly, never switched to.
  static const locale_t kClassic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const double value = strtod_l(number.c_str(), nullptr, kClassic);
  if (std::isinf(value)) {
    throw RuntimeError(ErrorKind::Overflow, "the number " + Shown(text) + " is too large");
  }
  return value;
}

std::int16_t ParseInt16(std::string_view text) {
  return RoundToInt16(ParseDecimal(text));
}

float ParseSingle(std::string_view text) {
  const double value = ParseDecimal(text);
  if (std::fabs(value) > 3.4028234663852886e38) {
    throw RuntimeError(ErrorKind::Overflow,
                       "the number " + Shown(text) + " is too large for single precision");
  }
  return static_cast<float>(value);
}

}  // namespace recmod
