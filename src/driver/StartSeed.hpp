#pragma once

#include <cstdint>

#include "run/RunMode.hpp"

namespace recmod {

// Whether a start in this run mode draws random numbers: those with a finite
// population (a single run or the loop over Log10(N)). Such a start always
// gets a seed, so that its record can repeat it.
bool StartDrawsRandomNumbers(const RunMode& mode);

// A fresh seed from the system's entropy source.
std::uint64_t DrawStartSeed();

}  // namespace recmod
