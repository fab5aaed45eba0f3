#include "ModuleSettings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "SettingsKeywords.hpp"
#include "numbers/ShortestNumber.hpp"
#include "run/Engine.hpp"
#include "run/InitialState.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"
#include "ui/InputValidation.hpp"

namespace recmod::python {

namespace {

// The field whose range bounds a keyword (for the haplotype frequencies: the
// first one's, which all share) or a parameter of the table.
const FieldEntry* RangeFieldOf(std::string_view name) {
  if (const SettingsKeyword* keyword = FindKeyword(name)) {
    return RangeField(keyword->members.empty() ? *keyword->parameter : *keyword->members.front());
  }
  const ParameterInfo* parameter = FindParameter(name);
  return parameter != nullptr && parameter->name == name ? RangeField(*parameter) : nullptr;
}

std::string Named(std::string_view name, double value) {
  return std::string(name) + " = " + ShortestText(value);
}

// "2 or 3": every whole number of a small domain.
std::string Choices(const Interval& domain) {
  std::string text;
  for (double value = domain.minimum; value <= domain.maximum; ++value) {
    if (!text.empty()) text += value == domain.maximum ? " or " : ", ";
    text += ShortestText(value);
  }
  return text;
}

// A keyword's number: in its window field's range, or, for a parameter that
// the window shows as no field (the number of loci), in the model's domain.
void CheckKeywordValue(std::string_view name, const ParameterInfo& parameter, double value) {
  if (RangeField(parameter) != nullptr) return CheckParameter(name, value);
  if (InDomain(parameter, value)) return;
  if (parameter.kind == ParameterKind::Choice) {
    throw SettingsError(Named(name, value) + " must be " + Choices(parameter.domain));
  }
  throw SettingsError(Named(name, value) + " is outside its domain " + DomainText(parameter));
}

void CheckHaplotypes(const ModuleSettings& s, const SettingsKeyword& keyword) {
  const double loci = s.Value("loci");
  if (loci != 2.0) {
    throw SettingsError(std::string(keyword.name) +
                        " is given for two loci only, not loci = " + ShortestText(loci));
  }
  double sum = 0.0;
  for (const ParameterInfo* member : keyword.members) {
    CheckParameter(keyword.name, s.Of(*member));
    sum += s.Of(*member);
  }
  // The engine's own test of the sum, with its tolerance.
  Engine engine;
  const RunInputs inputs = RunInputsOf(s, false);
  PrepareEngine(engine, static_cast<std::int16_t>(loci), inputs);
  CollectedMessages messages;
  BuildInitialState(engine, inputs, messages);
  if (engine.InitialStateRejected) {
    throw SettingsError(std::string(keyword.name) + " (ab, Ab, aB, AB) must add up to 1, not " +
                        ShortestText(sum));
  }
}

}  // namespace

double ModuleSettings::Of(const ParameterInfo& parameter) const {
  return values.at(TableIndex(parameter));
}

double& ModuleSettings::Of(const ParameterInfo& parameter) {
  return values.at(TableIndex(parameter));
}

double ModuleSettings::Value(std::string_view name) const {
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter == nullptr || parameter->name != name) {
    throw std::out_of_range("no parameter " + std::string(name));
  }
  return Of(*parameter);
}

double FieldBound(float bound) {
  return std::strtod(ShortestText(static_cast<double>(bound)).c_str(), nullptr);
}

std::string ShortestText(double value) {
  // A float widened to double reads best as the float's own shortest text.
  const auto single = static_cast<float>(value);
  return static_cast<double>(single) == value ? ShortestNumber(single) : ShortestNumber(value);
}

ModuleSettings StartUpSettings() {
  ModuleSettings settings;
  for (const ParameterInfo& parameter : Parameters()) {
    settings.values.push_back(parameter.startValue);
  }
  return settings;
}

ParameterRange RangeOf(std::string_view name) {
  const FieldEntry* field = RangeFieldOf(name);
  if (field == nullptr) throw std::out_of_range("no field for " + std::string(name));
  double minimum = FieldBound(field->minimum);
  // The window turns S = -1 into its least S; Python refuses what a run
  // would not get.
  if (std::string_view(field->parameter) == "S") minimum = std::max(minimum, kLeastRunS);
  return ParameterRange{minimum, FieldBound(field->maximum)};
}

void CheckParameter(std::string_view name, double value) {
  const ParameterRange range = RangeOf(name);
  if (!std::isfinite(value) || value < range.minimum || value > range.maximum) {
    throw SettingsError(Named(name, value) + " is outside its range " +
                        ShortestText(range.minimum) + " .. " + ShortestText(range.maximum));
  }
  if (RangeFieldOf(name)->rounding == FieldRounding::HalfStep &&
      std::floor(2.0 * value) != 2.0 * value) {
    throw SettingsError(Named(name, value) + " is not a whole or half number");
  }
}

void CheckSettings(const ModuleSettings& s) {
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    if (keyword.type == KeywordType::Number || keyword.type == KeywordType::Whole) {
      CheckKeywordValue(keyword.name, *keyword.parameter, s.Of(*keyword.parameter));
    }
  }
  if (s.Value("sinusoidal") != 0.0 && s.Value("inversion") == 0.0) {
    throw SettingsError("sinusoidal=True needs inversion=True (the sinusoid uses its period)");
  }
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    if (keyword.type == KeywordType::Haplotypes && s.Of(*keyword.parameter) != 0.0) {
      CheckHaplotypes(s, keyword);
    }
  }
}

RunInputs RunInputsOf(const ModuleSettings& s, bool finitePopulation) {
  RunInputs inputs;
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    const ParameterInfo& parameter = *keyword.parameter;
    const bool runModeSets = keyword.type == KeywordType::SwitchOrNone && s.runModeSetsDrift;
    if (parameter.apply != nullptr) {
      parameter.apply(inputs, runModeSets ? (finitePopulation ? 1.0 : 0.0) : s.Of(parameter));
    }
    for (const ParameterInfo* member : keyword.members) member->apply(inputs, s.Of(*member));
  }
  // The sinusoid's amplitude is the S that the run starts from.
  inputs.SAmplitude = inputs.params.S;
  return inputs;
}

}  // namespace recmod::python
