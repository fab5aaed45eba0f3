#include "control/ModelParameters.hpp"

#include <cmath>

#include "control/DecimalParse.hpp"
#include "model/RuntimeError.hpp"
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

namespace {
void CheckTerm(double value) {
  if (std::isnan(value)) throw RuntimeError(ErrorKind::InvalidOperation, "selection terms");
  if (std::isinf(value)) throw RuntimeError(ErrorKind::Overflow, "selection terms");
}
}  // namespace

void DeriveSelectionTerms(std::int16_t allelesNumber, ModelParameters& params) {
  params.DoubleMutantSelection = params.K * (std::pow(1.0 + params.S, 2) - 1.0);
  CheckTerm(params.DoubleMutantSelection);
  if (allelesNumber == 3) {
    params.TripleMutantSelection = params.K * params.K * (std::pow(1.0 + params.S, 3) - 1.0);
    CheckTerm(params.TripleMutantSelection);
  }
}

}  // namespace recmod
