#include "driver/SweepOptionText.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
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

std::vector<double> StepValues(double from, double to, double step, std::size_t limit) {
  if (!(step > 0.0)) throw SweepError("STEP must be above 0");
  if (from > to) throw SweepError("FROM must not be above TO");
  const ValueGrid grid{from, to, step};
  CheckCount(GridCount(grid, limit), limit);
  return GridValues(grid, limit);
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
    return StepValues(Number(fields[0], "FROM"), Number(fields[1], "TO"), Number(fields[2], "STEP"),
                      limit);
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
