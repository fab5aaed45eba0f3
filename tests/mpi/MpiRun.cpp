#include "MpiRun.hpp"

#include <thread>

namespace recmod::testing {

std::vector<std::string> MpirunCommand(int ranks, const std::vector<std::string>& arguments) {
#ifdef RECMOD_MPIEXEC
  std::vector<std::string> command{RECMOD_MPIEXEC, "-n", std::to_string(ranks)};
  if (ranks > static_cast<int>(std::thread::hardware_concurrency())) {
    command.push_back("--oversubscribe");
  }
  command.push_back(RECMOD_BATCH_PATH);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
#else
  (void)ranks;
  (void)arguments;
  return {};
#endif
}

ProgramOutcome RunBatchRanks(int ranks, const std::vector<std::string>& arguments) {
  const TempDirectory dir;
  return CollectFrom(dir.path(), LaunchIn(dir.path(), MpirunCommand(ranks, arguments), true));
}

}  // namespace recmod::testing
