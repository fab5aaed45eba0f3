#include "SettingsDocstring.hpp"

#include <vector>

#include "ModuleSettings.hpp"
#include "SettingsKeywords.hpp"
#include "driver/ParameterListing.hpp"

namespace recmod::python {

namespace {

constexpr std::size_t kLineWidth = 76;

constexpr std::string_view kRules =
    "Every argument is keyword-only and defaults to the window's start-up value. Numbers are "
    "int or float, never bool; whole numbers are ints; switches are True or False. A value of "
    "another type raises TypeError; a value outside its range raises ValueError naming the "
    "parameter and the range; nothing is clamped. Settings are read-only (use "
    "replace(**changes)), compare equal when every value is equal, and pickle, so they cross "
    "to other processes.";

constexpr std::string_view kListingIntro =
    "The parameters, as recmod.parameters() lists them: the name, the range that the window "
    "accepts (inclusive), the start-up value and what the parameter is.";

// How Python writes the parameter's values when its window field gives no range.
std::string ValuesText(const ParameterInfo& parameter, const SettingsKeyword* keyword) {
  const KeywordType type =
      keyword != nullptr && keyword->parameter == &parameter ? keyword->type : KeywordType::Number;
  switch (type) {
    case KeywordType::Switch:
      return "True or False";
    case KeywordType::SwitchOrNone:
      return "None, True or False";
    case KeywordType::Haplotypes:
      return "None or four numbers";
    case KeywordType::Sampling:
      return "sampling=\"draw\" or \"exact\"";
    case KeywordType::Number:
    case KeywordType::Whole:
      break;
  }
  if (keyword == nullptr) return "not a setting";
  if (parameter.kind == ParameterKind::Choice) {
    std::string text;
    for (double value = parameter.domain.minimum; value <= parameter.domain.maximum; ++value) {
      if (!text.empty()) text += value == parameter.domain.maximum ? " or " : ", ";
      text += ShortestText(value);
    }
    return text;
  }
  return DomainText(parameter);
}

std::string DefaultText(const ParameterInfo& parameter, const SettingsKeyword* keyword,
                        const ParameterRow& row) {
  if (keyword == nullptr || keyword->parameter != &parameter) return row.startValue;
  const bool on = parameter.startValue != 0.0;
  switch (keyword->type) {
    case KeywordType::Switch:
      return on ? "True" : "False";
    case KeywordType::SwitchOrNone:
    case KeywordType::Haplotypes:
      return "None";
    case KeywordType::Sampling:
      return on ? "\"exact\"" : "\"draw\"";
    case KeywordType::Number:
    case KeywordType::Whole:
      break;
  }
  return row.startValue;
}

// One parameter: a line with its name, range and start value, then what it
// is, indented.
std::string Entry(const ParameterInfo& parameter, const ParameterRow& row) {
  const SettingsKeyword* keyword = KeywordOf(parameter);
  const FieldEntry* field = RangeField(parameter);
  std::string head = "  " + row.name + "  ";
  std::string what = row.description;
  if (field != nullptr) {
    head += row.windowRange;
    if (field->rounding == FieldRounding::HalfStep) head += " in whole or half steps";
    const ParameterRange taken = RangeOf(row.name);
    if (taken.minimum != FieldBound(field->minimum)) {
      what += "; Python refuses values below " + ShortestText(taken.minimum) +
              ", the least that a run gets";
    }
  } else {
    head += ValuesText(parameter, keyword);
  }
  if (keyword != nullptr || field != nullptr) {
    head += ", default " + DefaultText(parameter, keyword, row);
  }
  const std::string note = PythonNote(parameter);
  if (!note.empty()) what += "; " + note;
  return head + "\n" + Wrapped("      " + what, 6) + "\n";
}

}  // namespace

std::string Wrapped(std::string_view text, std::size_t indent) {
  std::string out;
  std::size_t lineStart = 0;
  std::size_t lastBlank = std::string::npos;
  for (const char ch : text) {
    if (ch == '\n') {
      out += ch;
      lineStart = out.size();
      lastBlank = std::string::npos;
      continue;
    }
    // Blanks that indent a line are no place to break it.
    if (ch == ' ' && out.find_first_not_of(' ', lineStart) != std::string::npos) {
      lastBlank = out.size();
    }
    out += ch;
    if (out.size() - lineStart > kLineWidth && lastBlank != std::string::npos) {
      out[lastBlank] = '\n';
      out.insert(lastBlank + 1, indent, ' ');
      lineStart = lastBlank + 1;
      lastBlank = std::string::npos;
    }
  }
  return out;
}

std::string SettingsDocstring(std::string_view signature) {
  std::string text =
      "The model's parameters for a run, checked as the window checks its fields.\n\n";
  text +=
      Wrapped(signature, 9) + "\n\n" + Wrapped(kRules) + "\n\n" + Wrapped(kListingIntro) + "\n\n";
  const std::vector<ParameterRow> rows = ParameterRows();
  for (const ParameterInfo& parameter : Parameters()) {
    for (const ParameterRow& row : rows) {
      if (row.name == parameter.name) text += Entry(parameter, row);
    }
  }
  return text;
}

}  // namespace recmod::python
