#include "support/NumberFormatCheck.hpp"

#include <regex>

namespace recmod::testing {

::testing::AssertionResult IsNumberText(const std::string& text, int digits) {
  // Positional: 0, a whole number, a number with a fraction, or a fraction
  // below 1 with at most three zeros after the point (e > -5). Exponent form:
  // a one-digit mantissa with an optional fraction.
  static const std::regex kPositional(
      R"(^[ -](0|[1-9]\d*(\.\d*[1-9])?|\.0{0,3}([1-9]|[1-9]\d*[1-9]))$)");
  static const std::regex kExponent(R"(^[ -][1-9](\.\d*[1-9])?E([+-])(\d{2,3})$)");
  auto failure = [&](const char* why) {
    return ::testing::AssertionFailure() << "\"" << text << "\" " << why;
  };
  std::smatch match;
  int significant = 0;
  if (std::regex_match(text, kPositional)) {
    if (text == "-0") return failure("is a negative zero");
    const std::size_t firstDigit = text.find_first_of("123456789");
    if (firstDigit != std::string::npos) {
      for (std::size_t i = firstDigit; i < text.size(); ++i) significant += text[i] != '.';
    }
    const std::size_t point = text.find('.');
    const std::size_t wholeDigits = (point == std::string::npos ? text.size() : point) - 1;
    if (wholeDigits > 15) return failure("has a decimal exponent of 15 or more in positional form");
    if (digits == 7 && wholeDigits > 7) {
      return failure("has a decimal exponent of 7 or more in positional single-precision form");
    }
  } else if (std::regex_match(text, match, kExponent)) {
    const int exponent = std::stoi(match[3].str()) * (match[2].str() == "-" ? -1 : 1);
    if (exponent > -5 && exponent < (digits == 7 ? 7 : 15)) {
      return failure("uses exponent notation for an exponent of positional form");
    }
    if (match[3].str().size() == 3 && match[3].str()[0] == '0') {
      return failure("has more exponent digits than needed");
    }
    for (std::size_t i = 1; i < text.size() && text[i] != 'E'; ++i) significant += text[i] != '.';
  } else {
    return failure("is not in the number format");
  }
  if (significant > digits) return failure("has too many significant digits");
  return ::testing::AssertionSuccess();
}

}  // namespace recmod::testing
