#include "ProcessOutput.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace recmod::batch {

void PrepareProcessOutput() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free number, which is this one.
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) ::close(opened);
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

int FinishStandardOutput() {
  errno = 0;
  int error = std::fflush(stdout) != 0 ? errno : 0;
  if (error == 0 && std::ferror(stdout) != 0) {
    // An earlier write failed and its bytes are gone; to a pipe or socket
    // that is a reader that left, otherwise a real loss.
    struct stat status {};
    const bool toReader = ::fstat(STDOUT_FILENO, &status) == 0 &&
                          (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
    error = toReader ? 0 : EIO;
  }
  if (error == 0 || error == EPIPE) return 0;
  std::fprintf(stderr, "recmod-batch: standard output: %s\n", std::strerror(error));
  return 3;
}

}  // namespace recmod::batch
