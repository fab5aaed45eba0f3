#pragma once

#include <string>
#include <vector>

#include "support/ProgramRun.hpp"

namespace recmod::testing {

// The mpirun command line for `ranks` ranks of recmod-batch with `arguments`.
std::vector<std::string> MpirunCommand(int ranks, const std::vector<std::string>& arguments);

// recmod-batch with `arguments` as `ranks` ranks under mpirun, in a fresh
// directory.
ProgramOutcome RunBatchRanks(int ranks, const std::vector<std::string>& arguments);

}  // namespace recmod::testing
