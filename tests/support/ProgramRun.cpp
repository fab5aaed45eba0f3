#include "support/ProgramRun.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace recmod::testing {

namespace fs = std::filesystem;

namespace {

// A report file's text; "" when there is none, or a directory stands in its
// place (some tests put one there on purpose).
std::string ReportText(const fs::path& path) {
  std::error_code ignored;
  return fs::is_regular_file(path, ignored) ? ReadFileBytes(path) : std::string();
}

}  // namespace

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
  outcome.out = ReadFileBytes(directory / ".stdout");
  outcome.err = ReadFileBytes(directory / ".stderr");
  std::error_code ignored;
  fs::remove(directory / ".stdout", ignored);
  fs::remove(directory / ".stderr", ignored);
  outcome.report1 = ReportText(directory / "ReportFile1.txt");
  outcome.report2 = ReportText(directory / "ReportFile2.txt");
  outcome.report3 = ReportText(directory / "ReportFile3.txt");
  return outcome;
}

ProgramOutcome RunIn(const fs::path& directory, const std::vector<std::string>& command) {
  return CollectFrom(directory, LaunchIn(directory, command));
}

}  // namespace recmod::testing
