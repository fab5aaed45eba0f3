#include "output/DirectoryLock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "model/RuntimeError.hpp"

namespace recmod {

DirectoryLock::DirectoryLock(const std::string& directory) : directory_(directory) {
  fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  int result = 0;
  do {
    result = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return;
  const int error = errno;
  ::close(fd_);
  fd_ = -1;
  if (error == EWOULDBLOCK) {
    throw RuntimeError(ErrorKind::FileError,
                       directory +
                           ": another start is writing its report files there; wait for "
                           "it to end or choose another directory");
  }
  // A file system without locks (some network ones) cannot guard the files;
  // the start still runs, as it would without the lock.
}

bool DirectoryLock::StillThere() const {
  if (fd_ < 0) return true;
  struct stat locked {};
  struct stat named {};
  if (::fstat(fd_, &locked) != 0) return true;
  return ::stat(directory_.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
         named.st_ino == locked.st_ino;
}

std::string DirectoryLock::WhereNow() const {
  if (fd_ < 0) return directory_;
  std::error_code error;
  const std::filesystem::path now =
      std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd_), error);
  // A deleted directory's link ends in " (deleted)" and leads nowhere.
  if (error || !std::filesystem::is_directory(now, error)) return {};
  return now.string();
}

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace recmod
