#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "run/ParameterTable.hpp"

namespace recmod {
struct RunInputs;
}  // namespace recmod

namespace recmod::python {

// A setting the window would not accept: the text names the parameter and
// its range or the rule it breaks.
class SettingsError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The parameters of recmod.Settings, as numbers: one value for every
// parameter of the table, in its order (a switch is 0 or 1; a parameter that
// no keyword sets keeps its start value).
struct ModuleSettings {
  std::vector<double> values;
  // drift=None: the run mode sets the drift switch, on with N finite.
  bool runModeSetsDrift = true;

  double Of(const ParameterInfo& parameter) const;
  double& Of(const ParameterInfo& parameter);
  // The value of the parameter of that canonical name.
  double Value(std::string_view name) const;
};

// The values of a window that has just opened: the table's start values.
ModuleSettings StartUpSettings();

// The range that a keyword or parameter accepts: its window field's range.
struct ParameterRange {
  double minimum = 0.0;
  double maximum = 0.0;
};
// Throws std::out_of_range for a name without a window field.
ParameterRange RangeOf(std::string_view name);

// A bound of a field as the window writes it into the field: the shortest
// decimal of the single-precision bound (so 1E-10, not the double just above).
double FieldBound(float bound);

// Throws SettingsError unless `value` lies in the range of the keyword or
// parameter `name` (and, for a field in half steps, is a whole or half number).
void CheckParameter(std::string_view name, double value);

// Throws SettingsError unless every value lies in its field's range and the
// window's rules hold (a sinusoid only with the inversion, haplotype start
// frequencies only with two loci and adding up to 1, ...).
void CheckSettings(const ModuleSettings& settings);

// What the engine is handed for a run in a mode with N finite or infinite.
RunInputs RunInputsOf(const ModuleSettings& settings, bool finitePopulation);

// A number in its shortest form; a float widened to double as the float.
std::string ShortestText(double value);

}  // namespace recmod::python
