#include "ModuleSettings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "control/InitialState.hpp"
#include "control/PrepareEngine.hpp"
#include "output/ShortestNumber.hpp"
#include "ui/DecimalParse.hpp"
#include "ui/Simulator.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::python {

namespace {

// The window's field behind each parameter.
const std::map<std::string, int>& FieldOfParameter() {
  static const std::map<std::string, int> fields{{"u", 0},
                                                 {"w", 1},
                                                 {"S", 2},
                                                 {"K", 3},
                                                 {"a", 4},
                                                 {"b", 5},
                                                 {"c", 6},
                                                 {"z", 7},
                                                 {"iterations", 8},
                                                 {"log10n", 9},
                                                 {"demes", 10},
                                                 {"diffusion", 11},
                                                 {"inversion_period", 12},
                                                 {"linkage_disequilibrium", 13},
                                                 {"max_gen", 17},
                                                 {"R", 20}};
  return fields;
}

// A window that has just opened: its field tables and start-up controls.
const Simulator& OpenedWindow() {
  static const Simulator* const sim = [] {
    auto* opened = new Simulator();
    Form_Load(*opened);
    return opened;
  }();
  return *sim;
}

// A bound of a field as the window writes it into the field: the shortest
// decimal of the single-precision bound (so 1E-10, not the double just above).
double BoundValue(float bound) {
  return std::strtod(ShortestText(static_cast<double>(bound)).c_str(), nullptr);
}

}  // namespace

void CheckParameter(const char* name, double value) {
  const ParameterRange range = RangeOf(name);
  if (!std::isfinite(value) || value < range.minimum || value > range.maximum) {
    throw SettingsError(std::string(name) + " = " + ShortestText(value) + " is outside its range " +
                        ShortestText(range.minimum) + " .. " + ShortestText(range.maximum));
  }
}

namespace {

void CheckRange(const char* name, double value) {
  CheckParameter(name, value);
}

void CheckRange(const char* name, long long value) {
  CheckParameter(name, static_cast<double>(value));
}

}  // namespace

std::string ShortestText(double value) {
  // A float widened to double reads best as the float's own shortest text.
  const auto single = static_cast<float>(value);
  return static_cast<double>(single) == value ? ShortestNumber(single) : ShortestNumber(value);
}

ModuleSettings StartUpSettings() {
  const ControlValues& controls = OpenedWindow().controls;
  auto number = [&](int index) { return ParseDecimal(controls.Text(index)); };
  auto whole = [&](int index) { return static_cast<long long>(ParseInt16(controls.Text(index))); };
  ModuleSettings settings;
  settings.u = number(0);
  settings.w = number(1);
  settings.S = number(2);
  settings.K = number(3);
  settings.a = number(4);
  settings.b = number(5);
  settings.c = number(6);
  settings.z = number(7);
  settings.log10n = number(9);
  settings.demes = whole(10);
  settings.diffusion = number(11);
  settings.inversion_period = whole(12);
  settings.max_gen = whole(17);
  settings.R = number(20);
  settings.recombination = controls.Ticked(CheckBox::RecombForR);
  settings.total_stochasticity = controls.Ticked(CheckBox::TotalStochasticity);
  settings.inversion = controls.Ticked(CheckBox::InversionOfS);
  settings.sinusoidal = controls.Ticked(CheckBox::SinusoidalOption);
  settings.loci = ParseInt16(controls.AllelesNumberCaption);
  settings.sampling = controls.Ticked(CheckBox::ExactSampling) ? "exact" : "draw";
  return settings;
}

ParameterRange RangeOf(const std::string& name) {
  const auto found = FieldOfParameter().find(name);
  if (found == FieldOfParameter().end()) throw std::out_of_range("no parameter " + name);
  const auto slot = static_cast<std::size_t>(found->second);
  const FieldTables& fields = OpenedWindow().fields;
  float minimum = fields.FieldMinimum[slot];
  // At S = -1 a haplotype with one mutant allele would have fitness zero; the
  // window turns -1 into -0.99.
  if (name == "S") minimum = std::max(minimum, -0.99F);
  return ParameterRange{BoundValue(minimum), BoundValue(fields.FieldMaximum[slot])};
}

void CheckLog10N(const char* name, double value) {
  CheckRange(name, value);
  if (std::floor(2.0 * value) != 2.0 * value) {
    throw SettingsError(std::string(name) + " = " + ShortestText(value) +
                        " is not a whole or half number");
  }
}

void CheckIterations(long long iterations) {
  CheckRange("iterations", iterations);
}

void CheckSettings(const ModuleSettings& s) {
  if (s.loci != 2 && s.loci != 3) {
    throw SettingsError("loci = " + std::to_string(s.loci) + " must be 2 or 3");
  }
  if (s.sampling != "draw" && s.sampling != "exact") {
    throw SettingsError("sampling = \"" + s.sampling + "\" must be \"draw\" or \"exact\"");
  }
  CheckRange("u", s.u);
  CheckRange("w", s.w);
  CheckRange("S", s.S);
  CheckRange("K", s.K);
  CheckRange("a", s.a);
  CheckRange("b", s.b);
  CheckRange("c", s.c);
  CheckRange("R", s.R);
  CheckRange("z", s.z);
  CheckRange("demes", s.demes);
  CheckRange("diffusion", s.diffusion);
  CheckRange("max_gen", s.max_gen);
  CheckLog10N("log10n", s.log10n);
  CheckRange("inversion_period", s.inversion_period);
  if (s.sinusoidal && !s.inversion) {
    throw SettingsError("sinusoidal=True needs inversion=True (the sinusoid uses its period)");
  }
  if (s.linkage_disequilibrium) {
    if (s.loci != 2) {
      throw SettingsError("linkage_disequilibrium is given for two loci only, not loci = " +
                          std::to_string(s.loci));
    }
    for (const double frequency : *s.linkage_disequilibrium) {
      CheckRange("linkage_disequilibrium", frequency);
    }
    // The engine's own test of the sum, with its tolerance.
    Engine engine;
    const RunInputs inputs = RunInputsOf(s, false);
    PrepareEngine(engine, static_cast<std::int16_t>(s.loci), inputs);
    CollectedMessages messages;
    BuildInitialState(engine, inputs, messages);
    if (engine.InitialStateRejected) {
      const auto& f = *s.linkage_disequilibrium;
      throw SettingsError("linkage_disequilibrium (ab, Ab, aB, AB) must add up to 1, not " +
                          ShortestText(f[0] + f[1] + f[2] + f[3]));
    }
  }
}

RunInputs RunInputsOf(const ModuleSettings& s, bool finitePopulation) {
  RunInputs inputs;
  ModelParameters& p = inputs.params;
  p.u = s.u;
  p.w = s.w;
  p.S = s.S;
  p.K = s.K;
  p.MaxGen = static_cast<std::int16_t>(s.max_gen);
  p.z = static_cast<float>(s.z);
  p.Log10N = static_cast<float>(s.log10n);
  p.Demes = static_cast<std::int16_t>(s.demes);
  p.Diffusion = static_cast<float>(s.diffusion);
  p.InversionPeriod = static_cast<std::int16_t>(s.inversion_period);
  RunSwitches& switches = inputs.switches;
  switches.RecombForR = s.recombination;
  switches.TotalStochasticity = s.total_stochasticity;
  switches.GeneticDrift = s.drift.value_or(finitePopulation);
  switches.InversionOfS = s.inversion;
  switches.SinusoidalOption = s.sinusoidal;
  switches.LinkageDisequilibrium = s.linkage_disequilibrium.has_value();
  switches.ExactSampling = s.sampling == "exact";
  inputs.start.alleles = {s.a, s.b, s.c};
  if (s.linkage_disequilibrium) inputs.start.haplotypes = *s.linkage_disequilibrium;
  inputs.start.R = s.R;
  inputs.SAmplitude = s.S;
  return inputs;
}

}  // namespace recmod::python
