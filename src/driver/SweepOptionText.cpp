#include "driver/SweepOptionText.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "run/ValueGrid.hpp"

namespace recmod {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

double Number(std::string_view text, std::string_view what) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
    throw SweepError(std::string(what) + " \"" + std::string(text) + "\" is not a finite number");
  }
  return value;
}

void CheckCount(std::size_t count, std::size_t limit) {
  if (count > limit) {
    throw SweepError("more than " + std::to_string(limit) + " values on one axis");
  }
}

// A number written in decimal, mantissa x 10^exponent, exactly as typed.
struct Decimal {
  std::int64_t mantissa = 0;
  int exponent = 0;
};

// "0.6", "-1.25e-3": the decimal the text writes; nothing for a text of more
// digits than a 64-bit mantissa holds (the grid then steps in doubles).
std::optional<Decimal> DecimalOf(std::string_view text) {
  Decimal decimal;
  std::size_t i = 0;
  const bool negative = i < text.size() && (text[i] == '-' || text[i] == '+') && text[i++] == '-';
  int digits = 0;
  bool point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.' && !point) {
      point = true;
      continue;
    }
    if (text[i] < '0' || text[i] > '9' || ++digits > 18) return std::nullopt;
    decimal.mantissa = decimal.mantissa * 10 + (text[i] - '0');
    if (point) --decimal.exponent;
  }
  if (i < text.size()) {
    int exponent = 0;
    const char* end = text.data() + text.size();
    const char* start = text.data() + i + 1;
    if (start < end && *start == '+') ++start;
    const auto [ptr, ec] = std::from_chars(start, end, exponent);
    if (ec != std::errc() || ptr != end || exponent < -300 || exponent > 300) return std::nullopt;
    decimal.exponent += exponent;
  }
  if (negative) decimal.mantissa = -decimal.mantissa;
  return decimal;
}

// FROM + i*STEP for i = 0 .. count - 1 in decimal arithmetic, each rounded
// once to the nearest double: 0.6:1.4:0.2 visits 1.2, not the
// 1.2000000000000002 of adding in doubles. Nothing when the decimals are too
// long to add exactly.
std::optional<std::vector<double>> DecimalSteps(std::string_view fromText,
                                                std::string_view stepText, std::size_t count) {
  const std::optional<Decimal> from = DecimalOf(fromText);
  const std::optional<Decimal> step = DecimalOf(stepText);
  if (!from || !step) return std::nullopt;
  const int exponent = std::min(from->exponent, step->exponent);
  // Overflow of the 64-bit mantissas leaves the grid to the doubles.
  auto scaled = [&](const Decimal& d) -> std::optional<std::int64_t> {
    std::int64_t value = d.mantissa;
    for (int e = d.exponent; e > exponent; --e) {
      if (__builtin_mul_overflow(value, std::int64_t{10}, &value)) return std::nullopt;
    }
    return value;
  };
  const std::optional<std::int64_t> first = scaled(*from);
  const std::optional<std::int64_t> increment = scaled(*step);
  if (!first || !increment) return std::nullopt;
  std::vector<double> values;
  values.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::int64_t mantissa = 0;
    if (__builtin_mul_overflow(static_cast<std::int64_t>(i), *increment, &mantissa) ||
        __builtin_add_overflow(mantissa, *first, &mantissa)) {
      return std::nullopt;
    }
    const std::string text = std::to_string(mantissa) + "e" + std::to_string(exponent);
    values.push_back(std::strtod(text.c_str(), nullptr));
  }
  return values;
}

std::vector<double> StepValues(std::string_view fromText, std::string_view toText,
                               std::string_view stepText, std::size_t limit) {
  const double from = Number(fromText, "FROM");
  const double to = Number(toText, "TO");
  const double step = Number(stepText, "STEP");
  if (!(step > 0.0)) throw SweepError("STEP must be above 0");
  if (from > to) throw SweepError("FROM must not be above TO");
  const ValueGrid grid{from, to, step};
  CheckCount(GridCount(grid, limit), limit);
  std::vector<double> values = GridValues(grid, limit);
  if (const auto decimals = DecimalSteps(fromText, stepText, values.size())) {
    // The last value is TO when the grid reaches it only by rounding.
    for (std::size_t i = 0; i + 1 < values.size(); ++i) values[i] = std::min((*decimals)[i], to);
    if (!values.empty() && values.back() != to) values.back() = std::min(decimals->back(), to);
  }
  return values;
}

std::vector<double> LogValues(double from, double to, std::string_view countText,
                              std::size_t limit) {
  if (!(from > 0.0) || !(to > 0.0)) throw SweepError("a log scale needs FROM and TO above 0");
  if (from > to) throw SweepError("FROM must not be above TO");
  std::size_t count = 0;
  const char* end = countText.data() + countText.size();
  const auto [ptr, ec] = std::from_chars(countText.data(), end, count);
  if (countText.empty() || ec != std::errc() || ptr != end || count == 0) {
    throw SweepError("COUNT \"" + std::string(countText) + "\" is not a whole number above 0");
  }
  if (count == 1 && from != to) throw SweepError("a log scale from FROM to TO needs COUNT >= 2");
  CheckCount(count, limit);
  std::vector<double> values;
  values.reserve(count);
  const double first = std::log10(from);
  const double span = std::log10(to) - first;
  for (std::size_t i = 0; i < count; ++i) {
    double value = from;
    if (i + 1 == count) {
      value = to;
    } else if (i > 0) {
      const double fraction = static_cast<double>(i) / static_cast<double>(count - 1);
      value = std::clamp(std::pow(10.0, first + fraction * span), from, to);
    }
    values.push_back(value);
  }
  return values;
}

}  // namespace

std::vector<double> ParseSweepValues(std::string_view text, std::size_t limit) {
  if (text.empty()) throw SweepError("the list of values is empty");
  const std::vector<std::string_view> fields = Split(text, ':');
  if (fields.size() == 3) {
    return StepValues(fields[0], fields[1], fields[2], limit);
  }
  if (fields.size() == 4 && fields[2] == "log") {
    return LogValues(Number(fields[0], "FROM"), Number(fields[1], "TO"), fields[3], limit);
  }
  if (fields.size() != 1) {
    throw SweepError("\"" + std::string(text) + "\" is neither FROM:TO:STEP, FROM:TO:log:COUNT " +
                     "nor a list V1,V2,...");
  }
  const std::vector<std::string_view> items = Split(text, ',');
  CheckCount(items.size(), limit);
  std::vector<double> values;
  values.reserve(items.size());
  for (const std::string_view item : items) values.push_back(Number(item, "value"));
  return values;
}

SweepAxis ParseSweepOption(std::string_view text, std::size_t limit) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    throw SweepError("\"" + std::string(text) + "\" is not of the form NAME=VALUES");
  }
  const std::string_view name = text.substr(0, equals);
  // An unknown name is told before anything about its values.
  if (FindParameter(name) == nullptr) MakeSweepAxis(name, {});
  try {
    return MakeSweepAxis(name, ParseSweepValues(text.substr(equals + 1), limit));
  } catch (const SweepError& error) {
    const std::string message = error.what();
    if (message.rfind(std::string(FindParameter(name)->name), 0) == 0) throw;
    throw SweepError(std::string(FindParameter(name)->name) + ": " + message);
  }
}

}  // namespace recmod
