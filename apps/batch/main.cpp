// recmod-batch: the simulator without its window, driven from the command
// line through the same handlers as the window.
#include <cstdio>

#include "BatchCommandLine.hpp"
#include "BatchSession.hpp"

int main(int argc, char** argv) {
  using namespace recmod::batch;
  try {
    const ParseResult parsed = ParseCommandLine(argc, argv);
    if (!parsed.request) return parsed.exitStatus;
    return RunBatch(*parsed.request);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\nRun with --help for more information.\n", error.what());
    return kExitUsage;
  }
}
