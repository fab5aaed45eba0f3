#include "ProgramRun.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace recmod::testing {

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (fs::temp_directory_path() / "recmod-mpi-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

pid_t LaunchIn(const fs::path& directory, const std::vector<std::string>& command, bool forMpi,
               int graceSeconds) {
#ifdef RECMOD_MPI_TMPDIR
  if (forMpi) fs::create_directories(RECMOD_MPI_TMPDIR);
#endif
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(directory.c_str()) != 0) ::_exit(126);
    ::dup2(::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    if (forMpi) {
      if (::geteuid() == 0) {
        ::setenv("OMPI_ALLOW_RUN_AS_ROOT", "1", 1);
        ::setenv("OMPI_ALLOW_RUN_AS_ROOT_CONFIRM", "1", 1);
      }
#ifdef RECMOD_MPI_TMPDIR
      ::setenv("TMPDIR", RECMOD_MPI_TMPDIR, 1);
#endif
      const char* asan = std::getenv("ASAN_OPTIONS");
      const std::string options = std::string(asan != nullptr ? asan : "") + ":detect_leaks=0";
      ::setenv("ASAN_OPTIONS", options.c_str(), 1);
      ::setenv("OMPI_MCA_odls_base_sigkill_timeout", std::to_string(graceSeconds).c_str(), 1);
    }
    std::vector<std::string> copies = command;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

ProgramOutcome CollectFrom(const fs::path& directory, pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProgramOutcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadAll(directory / ".stdout");
  outcome.err = ReadAll(directory / ".stderr");
  outcome.report1 = ReadAll(directory / "ReportFile1.txt");
  outcome.report2 = ReadAll(directory / "ReportFile2.txt");
  outcome.report3 = ReadAll(directory / "ReportFile3.txt");
  return outcome;
}

ProgramOutcome RunBatchProcess(const std::vector<std::string>& arguments) {
  ScratchDirectory dir;
  std::vector<std::string> command{RECMOD_BATCH_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return CollectFrom(dir.path(), LaunchIn(dir.path(), command, false));
}

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
  ScratchDirectory dir;
  return CollectFrom(dir.path(), LaunchIn(dir.path(), MpirunCommand(ranks, arguments), true));
}

}  // namespace recmod::testing
