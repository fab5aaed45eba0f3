#include "SettingsKeywords.hpp"

#include <array>
#include <stdexcept>
#include <string>

namespace recmod::python {

namespace {

// The keywords that Python spells otherwise than one keyword of the
// parameter's own name and kind. The first of `parameters` (blank-separated)
// places the keyword in the table's order; the others are its members.
struct PythonSpelling {
  std::string_view parameters;
  std::string_view keyword;
  KeywordType type;
  std::string_view note;
};

constexpr std::array<PythonSpelling, 3> kSpellings = {{
    {"drift", "drift", KeywordType::SwitchOrNone,
     "None (the default): on with N finite, off with N infinite, as the run modes set it"},
    {"linkage_disequilibrium ab Ab aB AB", "linkage_disequilibrium", KeywordType::Haplotypes,
     "None (the default) or (ab, Ab, aB, AB), which must add up to 1"},
    {"exact_sampling", "sampling", KeywordType::Sampling, "sampling=\"exact\" turns it on"},
}};

// The parameters that shape a loop or follow other parameters: no keyword of
// Settings holds them.
struct TakenElsewhere {
  std::string_view parameters;
  std::string_view note;
};

constexpr std::array<TakenElsewhere, 2> kElsewhere = {{
    {"iterations log10n_from log10n_to",
     "not a setting: sweep_log10n(settings, log10n, iterations) takes the sizes and the runs "
     "per size"},
    {"interdemic_diffusion", "not a setting: it follows demes"},
}};

// The blank-separated words of `list`.
std::vector<std::string_view> Words(std::string_view list) {
  std::vector<std::string_view> words;
  while (!list.empty()) {
    const std::size_t blank = list.find(' ');
    words.push_back(list.substr(0, blank));
    if (blank == std::string_view::npos) break;
    list.remove_prefix(blank + 1);
  }
  return words;
}

bool Lists(std::string_view list, std::string_view name) {
  for (const std::string_view word : Words(list)) {
    if (word == name) return true;
  }
  return false;
}

const ParameterInfo& TableParameter(std::string_view name) {
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter == nullptr || parameter->name != name) {
    throw std::logic_error("the Python spellings name " + std::string(name) +
                           ", which the parameter table lacks");
  }
  return *parameter;
}

KeywordType TypeOfKind(const ParameterInfo& parameter) {
  if (parameter.kind == ParameterKind::Switch) return KeywordType::Switch;
  return parameter.whole ? KeywordType::Whole : KeywordType::Number;
}

bool TakenElsewhereListed(std::string_view name) {
  for (const TakenElsewhere& elsewhere : kElsewhere) {
    if (Lists(elsewhere.parameters, name)) return true;
  }
  return false;
}

// The spelling whose keyword takes the place of that parameter; nullptr when none.
const PythonSpelling* SpellingLedBy(std::string_view name) {
  for (const PythonSpelling& spelling : kSpellings) {
    if (Words(spelling.parameters).front() == name) return &spelling;
  }
  return nullptr;
}

// Whether a spelling's keyword sets that parameter along with its own.
bool SpellingMember(std::string_view name) {
  for (const PythonSpelling& spelling : kSpellings) {
    const std::vector<std::string_view> names = Words(spelling.parameters);
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (names[i] == name) return true;
    }
  }
  return false;
}

std::vector<SettingsKeyword> BuildKeywords() {
  for (const PythonSpelling& spelling : kSpellings) {
    for (const std::string_view name : Words(spelling.parameters)) TableParameter(name);
  }
  for (const TakenElsewhere& elsewhere : kElsewhere) {
    for (const std::string_view name : Words(elsewhere.parameters)) TableParameter(name);
  }
  std::vector<SettingsKeyword> keywords;
  for (const ParameterInfo& parameter : Parameters()) {
    if (TakenElsewhereListed(parameter.name) || SpellingMember(parameter.name)) continue;
    const PythonSpelling* spelling = SpellingLedBy(parameter.name);
    if (spelling == nullptr) {
      keywords.push_back({parameter.name, TypeOfKind(parameter), &parameter, {}, {}});
      continue;
    }
    SettingsKeyword keyword{spelling->keyword, spelling->type, &parameter, {}, spelling->note};
    const std::vector<std::string_view> names = Words(spelling->parameters);
    for (std::size_t i = 1; i < names.size(); ++i) {
      keyword.members.push_back(&TableParameter(names[i]));
    }
    keywords.push_back(std::move(keyword));
  }
  return keywords;
}

const std::vector<SettingsKeyword>& Keywords() {
  static const std::vector<SettingsKeyword> keywords = BuildKeywords();
  return keywords;
}

}  // namespace

std::span<const SettingsKeyword> SettingsKeywords() {
  return Keywords();
}

const SettingsKeyword* FindKeyword(std::string_view name) {
  for (const SettingsKeyword& keyword : Keywords()) {
    if (keyword.name == name) return &keyword;
  }
  return nullptr;
}

const SettingsKeyword* KeywordOf(const ParameterInfo& parameter) {
  for (const SettingsKeyword& keyword : Keywords()) {
    if (keyword.parameter == &parameter) return &keyword;
    for (const ParameterInfo* member : keyword.members) {
      if (member == &parameter) return &keyword;
    }
  }
  return nullptr;
}

std::string PythonNote(const ParameterInfo& parameter) {
  for (const TakenElsewhere& elsewhere : kElsewhere) {
    if (Lists(elsewhere.parameters, parameter.name)) return std::string(elsewhere.note);
  }
  const SettingsKeyword* keyword = KeywordOf(parameter);
  if (keyword == nullptr) return {};
  if (keyword->parameter != &parameter) return "set through " + std::string(keyword->name);
  return std::string(keyword->note);
}

const FieldEntry* RangeField(const ParameterInfo& parameter) {
  const FieldEntry* entry = FindFieldByParameter(parameter.name);
  return entry != nullptr && entry->index <= kLastRangedField ? entry : nullptr;
}

std::size_t TableIndex(const ParameterInfo& parameter) {
  return static_cast<std::size_t>(&parameter - Parameters().data());
}

}  // namespace recmod::python
