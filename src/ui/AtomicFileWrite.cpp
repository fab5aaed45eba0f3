#include "ui/AtomicFileWrite.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, int error) {
  throw RuntimeError(ErrorKind::FileError, path.string() + ": " + std::strerror(error));
}

}  // namespace

void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& contents) {
  std::filesystem::path temporary = path;
  temporary += ".tmp-" + std::to_string(::getpid());
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) Fail(path, errno);
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(temporary.c_str());
      Fail(path, error);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    Fail(path, error);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    Fail(path, error);
  }
}

}  // namespace recmod
