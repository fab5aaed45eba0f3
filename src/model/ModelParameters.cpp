#include "model/ModelParameters.hpp"

#include <cmath>

#include "model/RuntimeError.hpp"

namespace recmod {

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
