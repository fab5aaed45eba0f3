#include "ui/ControlValues.hpp"

#include <string>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {
constexpr std::array<const char*, kCheckBoxCount> kNames = {
    "RecombForR",   "TotalStochasticity", "GeneticDrift",          "InterdemicDiffusion",
    "InversionOfS", "SinusoidalOption",   "LinkageDisequilibrium", "ExactSampling"};

void CheckTxtIndex(int index) {
  if (!IsTxtIndex(index)) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "txt index " + std::to_string(index));
  }
}
}  // namespace

const char* CheckBoxName(CheckBox box) {
  return kNames[static_cast<std::size_t>(box)];
}

bool CheckBoxFromName(std::string_view name, CheckBox& box) {
  for (CheckBox candidate : kAllCheckBoxes) {
    if (name == CheckBoxName(candidate)) {
      box = candidate;
      return true;
    }
  }
  return false;
}

const std::string& ControlValues::Text(int index) const {
  CheckTxtIndex(index);
  return txt[static_cast<std::size_t>(index)];
}

std::string& ControlValues::Text(int index) {
  CheckTxtIndex(index);
  return txt[static_cast<std::size_t>(index)];
}

}  // namespace recmod
