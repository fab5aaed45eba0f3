#pragma once

#include "BatchSession.hpp"

namespace recmod::batch {

// The whole batch program: parses the command line, drives the simulator and
// returns the exit status; help, usage errors and all messages are printed
// here. `hooks` lets an embedding program (the fuzzer) bound the start.
int RunBatch(int argc, char** argv, const BatchHooks& hooks = {});

}  // namespace recmod::batch
