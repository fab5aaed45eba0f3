#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDirectory.hpp"

namespace recmod::testing {

// What a program left: exit status (-1 when a signal ended it), output and
// the three report files of its directory ("" when missing).
struct ProgramOutcome {
  int status = -1;
  std::string out;
  std::string err;
  std::string report1;
  std::string report2;
  std::string report3;
};

// Starts `command` (a program path and its arguments) in `directory`, with
// stdout and stderr going to files there; returns its process id. With
// `forMpi` the environment gets what Open MPI needs in a test: leave to run
// as root, a TMPDIR in the build tree, and no leak report under
// AddressSanitizer (Open MPI does not free everything). When a rank fails,
// mpirun gives the others `graceSeconds` between SIGTERM and SIGKILL; its
// default of 1 makes every failing test a second slower.
pid_t LaunchIn(const std::filesystem::path& directory, const std::vector<std::string>& command,
               bool forMpi = false, int graceSeconds = 0);

// Waits for the program started by LaunchIn and collects what it left; the
// files of its stdout and stderr are removed, so that the directory holds
// only what the program wrote.
ProgramOutcome CollectFrom(const std::filesystem::path& directory, pid_t pid);

// `command` run to its end in `directory`.
ProgramOutcome RunIn(const std::filesystem::path& directory,
                     const std::vector<std::string>& command);

// Test programs that start recmod-batch know where it was built.
#ifdef RECMOD_BATCH_PATH
inline std::vector<std::string> BatchCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{RECMOD_BATCH_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

// recmod-batch with `arguments`, run in `directory` (its report files go there).
inline ProgramOutcome RunBatchIn(const std::filesystem::path& directory,
                                 const std::vector<std::string>& arguments) {
  return RunIn(directory, BatchCommand(arguments));
}

// recmod-batch with `arguments`, as one process, in a fresh directory.
inline ProgramOutcome RunBatchProcess(const std::vector<std::string>& arguments) {
  const TempDirectory dir;
  return RunBatchIn(dir.path(), arguments);
}
#endif

}  // namespace recmod::testing
