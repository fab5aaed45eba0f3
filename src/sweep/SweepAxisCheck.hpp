#pragma once

#include <stdexcept>
#include <string_view>
#include <vector>

#include "sweep/Sweep.hpp"

namespace recmod {

// A sweep that cannot be run as asked; the text names the parameter and says
// what is wrong (and, for a misspelt name, the nearest known one).
class SweepError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The axis over the parameter called `name` (its name or an alias) with
// `values`, each of which must lie in the parameter's model domain. Throws
// SweepError for an unknown name, a parameter that no run holds (the loop
// bounds, the number of loci), an empty list or a value outside the domain.
SweepAxis MakeSweepAxis(std::string_view name, std::vector<double> values);

// Throws SweepError when two axes sweep the same parameter.
void CheckDistinctAxes(const std::vector<SweepAxis>& axes);

}  // namespace recmod
