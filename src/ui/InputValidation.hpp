#pragma once

#include <string>

#include "ui/Simulator.hpp"

namespace recmod {

// The least S a run gets: at S = -1 a haplotype with one mutant allele would
// have fitness zero, so the validation pass turns -1 into this.
inline constexpr double kLeastRunS = -0.99;

// The canonical form of a typed number: the first comma becomes a point, a
// leading point gets a "0" in front (texts of more than one character), and
// leading "00" loses its first zero until it no longer starts so. The argument
// is rewritten to the result, which is also returned.
std::string NormaliseNumberText(std::string& text);

// The validation pass over the whole window.
void ValidateInputs(Simulator& sim);

// A text field lost the focus: fields 1..19 are normalised, then the whole
// validation pass runs.
void txt_LostFocus(Simulator& sim, int index);

}  // namespace recmod
