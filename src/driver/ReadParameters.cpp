#include "driver/ReadParameters.hpp"

#include "model/ModelParameters.hpp"
#include "numbers/DecimalParse.hpp"
#include "run/RunInputs.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {

void ReadParameters(const ControlValues& controls, std::int16_t allelesNumber,
                    ModelParameters& params) {
  params.u = ParseDecimal(controls.Text(0));
  params.w = ParseDecimal(controls.Text(1));
  params.S = ParseDecimal(controls.Text(2));
  params.K = ParseDecimal(controls.Text(3));
  DeriveSelectionTerms(allelesNumber, params);
  params.MaxGen = ParseInt16(controls.Text(17));
  params.z = ParseSingle(controls.Text(7));
  params.Iterations = ParseInt16(controls.Text(8));
  params.Log10N = ParseSingle(controls.Text(9));
  params.Demes = ParseInt16(controls.Text(10));
  params.Diffusion = ParseSingle(controls.Text(11));
  params.InversionPeriod = ParseInt16(controls.Text(12));
  params.SaveDirectory = controls.Text(30);
}

RunInputs ReadRunInputs(const ControlValues& controls, std::int16_t allelesNumber) {
  RunInputs inputs;
  ReadParameters(controls, allelesNumber, inputs.params);
  RunSwitches& switches = inputs.switches;
  switches.RecombForR = controls.Ticked(CheckBox::RecombForR);
  switches.TotalStochasticity = controls.Ticked(CheckBox::TotalStochasticity);
  switches.GeneticDrift = controls.Ticked(CheckBox::GeneticDrift);
  switches.InversionOfS = controls.Ticked(CheckBox::InversionOfS);
  switches.SinusoidalOption = controls.Ticked(CheckBox::SinusoidalOption);
  switches.LinkageDisequilibrium = controls.Ticked(CheckBox::LinkageDisequilibrium);
  switches.ExactSampling = controls.Ticked(CheckBox::ExactSampling);
  StartFrequencies& start = inputs.start;
  for (int i = 1; i <= 3; ++i) {
    start.alleles[static_cast<std::size_t>(i - 1)] = ParseDecimal(controls.Text(3 + i));
  }
  for (int i = 0; i < 4; ++i) {
    start.haplotypes[static_cast<std::size_t>(i)] = ParseDecimal(controls.Text(13 + i));
  }
  start.R = ParseDecimal(controls.Text(20));
  inputs.SAmplitude = inputs.params.S;
  return inputs;
}

}  // namespace recmod
