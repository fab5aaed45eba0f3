#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace recmod::testing {

// A fresh directory for one start, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadAll(const std::filesystem::path& path);

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
               bool forMpi, int graceSeconds = 0);

// Waits for the program started by LaunchIn and collects what it left.
ProgramOutcome CollectFrom(const std::filesystem::path& directory, pid_t pid);

// recmod-batch with `arguments`, as one process, in a fresh directory.
ProgramOutcome RunBatchProcess(const std::vector<std::string>& arguments);

// The mpirun command line for `ranks` ranks of recmod-batch with `arguments`.
std::vector<std::string> MpirunCommand(int ranks, const std::vector<std::string>& arguments);

// recmod-batch with `arguments` as `ranks` ranks under mpirun, in a fresh
// directory.
ProgramOutcome RunBatchRanks(int ranks, const std::vector<std::string>& arguments);

}  // namespace recmod::testing
