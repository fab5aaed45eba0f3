#include "sweep/SweepAxisCheck.hpp"

#include <string>

#include "numbers/ShortestNumber.hpp"

namespace recmod {

SweepAxis MakeSweepAxis(std::string_view name, std::vector<double> values) {
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter == nullptr) {
    std::string message = "no parameter \"" + std::string(name) + "\"";
    if (const auto nearest = NearestParameterName(name)) {
      message += " (did you mean " + std::string(*nearest) + "?)";
    }
    throw SweepError(message + "; recmod-batch --parameters lists them");
  }
  const std::string called(parameter->name);
  if (parameter->apply == nullptr) {
    throw SweepError(called + " cannot be swept: no run holds it");
  }
  if (parameter->role == LaneRole::Loop) {
    throw SweepError(called + " shapes the window's loop; a sweep has replicates instead");
  }
  if (values.empty()) throw SweepError(called + ": the list of values is empty");
  for (const double value : values) {
    if (!InDomain(*parameter, value)) {
      throw SweepError(called + " = " + ShortestNumber(value) + " is outside its model domain " +
                       DomainText(*parameter));
    }
  }
  return SweepAxis{parameter, std::move(values)};
}

void CheckDistinctAxes(const std::vector<SweepAxis>& axes) {
  for (std::size_t i = 0; i < axes.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (axes[i].parameter == axes[j].parameter) {
        throw SweepError(std::string(axes[i].parameter->name) + " is an axis twice");
      }
    }
  }
}

}  // namespace recmod
