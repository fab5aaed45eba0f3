#include "BatchProgram.hpp"

#include <cstdio>
#include <stdexcept>

#include "BatchCommandLine.hpp"
#include "lanes/LanePath.hpp"

namespace recmod::batch {

int RunBatch(int argc, char** argv, const BatchHooks& hooks) {
  try {
    const ParseResult parsed = ParseCommandLine(argc, argv);
    if (!parsed.request) return parsed.exitStatus;
    try {
      ActiveLanePath();
    } catch (const std::runtime_error& error) {
      std::fprintf(stderr, "recmod-batch: %s\n", error.what());
      return kExitUsage;
    }
    return RunBatch(*parsed.request, hooks);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\nRun with --help for more information.\n", error.what());
    return kExitUsage;
  }
}

}  // namespace recmod::batch
