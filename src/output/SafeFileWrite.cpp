#include "output/SafeFileWrite.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {

// Beyond this many characters of the target's name the temporary name keeps
// only its start, so that it never exceeds the file system's limit.
constexpr std::size_t kNameKept = 64;

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
  throw RuntimeError(ErrorKind::FileError, path.string() + ": " + reason);
}

std::string RandomHex() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    // No entropy yet (early boot): the clock, the process and a counter still
    // make a name that O_EXCL guards.
    static std::atomic<std::uint64_t> counter{0};
    bits = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (static_cast<std::uint64_t>(::getpid()) << 40) ^ (counter++ * 0x9e3779b97f4a7c15ULL);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < 16; ++i) {
    text += kHex[bits & 0x0f];
    bits >>= 4;
  }
  return text;
}

std::filesystem::path DirectoryOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

// A temporary file beside `path`, created exclusively (never an existing file
// or a planted link); its descriptor and name, or -1 with errno set.
int CreateTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
  const std::string name = path.filename().string().substr(0, kNameKept);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = DirectoryOf(path) / ("." + name + "." + RandomHex() + ".tmp");
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view contents, int& error) {
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

void SyncDirectory(const std::filesystem::path& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // Some file systems cannot sync a directory (EINVAL); the rename stands.
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> KindInTheWay(const std::filesystem::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
  if (S_ISREG(status.st_mode)) return std::nullopt;
  if (S_ISLNK(status.st_mode)) return "a link";
  if (S_ISDIR(status.st_mode)) return "a directory";
  if (S_ISFIFO(status.st_mode)) return "a FIFO";
  if (S_ISSOCK(status.st_mode)) return "a socket";
  return "a device";
}

std::optional<std::string> OutputFileProblem(const std::filesystem::path& path) {
  const std::filesystem::path directory = DirectoryOf(path);
  struct stat status {};
  if (path.filename().empty()) return std::string("names a directory, not a file");
  if (::stat(directory.c_str(), &status) != 0) {
    return "no directory " + directory.string() + ": " + std::strerror(errno);
  }
  if (!S_ISDIR(status.st_mode)) return directory.string() + " is not a directory";
  const long nameMax = ::pathconf(directory.c_str(), _PC_NAME_MAX);
  if (path.filename().string().size() >
      static_cast<std::size_t>(nameMax > 0 ? nameMax : NAME_MAX)) {
    return std::string(std::strerror(ENAMETOOLONG));
  }
  if (path.string().size() >= PATH_MAX) return std::string(std::strerror(ENAMETOOLONG));
  if (const auto kind = KindInTheWay(path)) {
    return *kind + " is in the way; only a regular file is replaced";
  }
  std::filesystem::path probe;
  const int fd = CreateTemporary(path, probe);
  if (fd < 0) return "cannot create a file in " + directory.string() + ": " + std::strerror(errno);
  ::close(fd);
  ::unlink(probe.c_str());
  return std::nullopt;
}

void WriteFileSafely(const std::filesystem::path& path, std::string_view contents,
                     Durability durability) {
  if (const auto kind = KindInTheWay(path)) {
    Fail(path, *kind + " is in the way; only a regular file is replaced");
  }
  std::filesystem::path temporary;
  const int fd = CreateTemporary(path, temporary);
  if (fd < 0) Fail(path, std::strerror(errno));
  int error = 0;
  bool written = WriteAll(fd, contents, error);
  if (written && durability == Durability::Durable && ::fsync(fd) != 0) {
    error = errno;
    written = false;
  }
  if (::close(fd) != 0 && written) {
    error = errno;
    written = false;
  }
  // Looked at again just before the rename: a name taken meanwhile by
  // something else is still not replaced.
  std::optional<std::string> kind;
  if (written) kind = KindInTheWay(path);
  if (written && !kind && ::rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    written = false;
  }
  if (!written || kind) {
    ::unlink(temporary.c_str());
    if (kind) Fail(path, *kind + " is in the way; only a regular file is replaced");
    Fail(path, std::strerror(error));
  }
  if (durability == Durability::Durable) SyncDirectory(DirectoryOf(path));
}

namespace {
// Rows are gathered up to this many bytes before they are written.
constexpr std::size_t kStreamBuffer = std::size_t{1} << 20;
}  // namespace

StreamedFileWrite::StreamedFileWrite(std::filesystem::path path) : path_(std::move(path)) {
  if (const auto kind = KindInTheWay(path_)) {
    Fail(path_, *kind + " is in the way; only a regular file is replaced");
  }
  fd_ = CreateTemporary(path_, temporary_);
  if (fd_ < 0) Fail(path_, std::strerror(errno));
  buffer_.reserve(kStreamBuffer);
}

StreamedFileWrite::~StreamedFileWrite() {
  Abandon();
}

void StreamedFileWrite::Abandon() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
}

void StreamedFileWrite::Flush() {
  int error = 0;
  if (!WriteAll(fd_, buffer_, error)) {
    Abandon();
    Fail(path_, std::strerror(error));
  }
  buffer_.clear();
}

void StreamedFileWrite::Append(std::string_view text) {
  if (fd_ < 0) Fail(path_, "the file was already closed");
  buffer_.append(text);
  if (buffer_.size() >= kStreamBuffer) Flush();
}

void StreamedFileWrite::Commit() {
  if (fd_ < 0) Fail(path_, "the file was already closed");
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporary_.c_str());
    Fail(path_, std::strerror(error));
  }
  if (const auto kind = KindInTheWay(path_)) {
    ::unlink(temporary_.c_str());
    Fail(path_, *kind + " is in the way; only a regular file is replaced");
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary_.c_str());
    Fail(path_, std::strerror(error));
  }
}

}  // namespace recmod
