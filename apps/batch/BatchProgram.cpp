#include "BatchProgram.hpp"

#include <cstdio>

#include "BatchCommandLine.hpp"

namespace recmod::batch {

int RunBatch(int argc, char** argv, const BatchHooks& hooks) {
  try {
    const ParseResult parsed = ParseCommandLine(argc, argv);
    if (!parsed.request) return parsed.exitStatus;
    return RunBatch(*parsed.request, hooks);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\nRun with --help for more information.\n", error.what());
    return kExitUsage;
  }
}

}  // namespace recmod::batch
