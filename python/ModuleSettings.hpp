#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/RunInputs.hpp"

namespace recmod::python {

// A setting the window would not accept: the text names the parameter and
// its range or the rule it breaks.
class SettingsError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The window's parameters by their names, as numbers. Whole-number fields are
// ints; z, diffusion and log10n are held in single precision by the engine.
struct ModuleSettings {
  double u = 0.0;
  double w = 0.0;
  double S = 0.0;
  double K = 0.0;
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double R = 0.0;
  double z = 0.0;
  long long demes = 1;
  double diffusion = 0.0;
  long long max_gen = 0;
  double log10n = 0.0;
  long long inversion_period = 0;
  bool recombination = true;
  bool total_stochasticity = true;
  // Unset: as the run mode sets it, ticked with N finite, unticked with N infinite.
  std::optional<bool> drift;
  bool inversion = false;
  bool sinusoidal = false;
  std::optional<std::array<double, 4>> linkage_disequilibrium;
  long long loci = 2;
  std::string sampling = "draw";
};

// The values of a window that has just opened.
ModuleSettings StartUpSettings();

// The range a parameter of the window accepts, and its field's kind.
struct ParameterRange {
  double minimum = 0.0;
  double maximum = 0.0;
};
ParameterRange RangeOf(const std::string& name);

// Throws SettingsError unless every value lies in its field's range and the
// window's rules hold (a sinusoid only with the inversion, haplotype start
// frequencies only with two loci and adding up to 1, ...).
void CheckSettings(const ModuleSettings& settings);

// Throws SettingsError unless `value` lies in the range of parameter `name`.
void CheckParameter(const char* name, double value);

// Throws SettingsError unless `value` is a Log10(N) the window accepts: in the
// field's range and a whole or half number.
void CheckLog10N(const char* name, double value);
// Throws SettingsError unless `iterations` is in the field's range.
void CheckIterations(long long iterations);

// What the engine is handed for a run in a mode with N finite or infinite.
RunInputs RunInputsOf(const ModuleSettings& settings, bool finitePopulation);

// "x = v is outside its range lo .. hi" with the numbers in their shortest form.
std::string ShortestText(double value);

}  // namespace recmod::python
