#include "output/ReportFiles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {
constexpr std::size_t kBlockSize = 1 << 16;
// The most work a kill may lose: lines older than this are written out.
constexpr auto kFlushInterval = std::chrono::seconds(1);
// Finished runs of a loop are written at once, unless they come faster than
// this: a write per run would then cost more than the runs themselves.
constexpr auto kRunFlushInterval = std::chrono::milliseconds(20);

std::string Reason(int error) {
  return std::strerror(error);
}

long SystemWrite(int fd, const void* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

std::atomic<ReportWriteFunction> gWrite{SystemWrite};
}  // namespace

ReportWriteFunction SetReportWriteFunction(ReportWriteFunction write) {
  return gWrite.exchange(write != nullptr ? write : SystemWrite);
}

std::string SaveDirectoryPath(const std::string& saveDirectory) {
  if (saveDirectory == "C:" || saveDirectory == "C:\\" || saveDirectory == "C:/") {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string(".") : cwd.string();
  }
  std::string path = saveDirectory;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string ReportFilePath(const std::string& saveDirectory, int n) {
  std::string directory = SaveDirectoryPath(saveDirectory);
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory + "ReportFile" + std::to_string(n) + ".txt";
}

ReportFile::ReportFile(const std::string& path) : path_(path) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(path, ec);
  if (!ec && std::filesystem::exists(status)) {
    if (std::filesystem::is_directory(status)) {
      throw RuntimeError(ErrorKind::FileError, path + ": a directory is in the way");
    }
    if (!std::filesystem::remove(path, ec) || ec) {
      throw RuntimeError(ErrorKind::FileError, path + ": cannot delete: " + ec.message());
    }
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0 && errno == EEXIST) {
    throw RuntimeError(ErrorKind::FileError,
                       path +
                           ": cannot create: the name was taken again after the old file was "
                           "deleted (by another program?); nothing was written");
  }
  if (fd_ < 0) {
    throw RuntimeError(ErrorKind::FileError, path + ": cannot create: " + Reason(errno));
  }
  buffer_.reserve(kBlockSize + 1024);
  lastFlush_ = std::chrono::steady_clock::now();
}

ReportFile::~ReportFile() {
  if (fd_ >= 0) {
    try {
      Flush();
    } catch (...) {
    }
    ::close(fd_);
  }
}

void ReportFile::WriteLine(std::string_view text) {
  if (fd_ < 0) throw RuntimeError(ErrorKind::FileError, path_ + ": file is not open");
  buffer_.append(text);
  buffer_.append("\r\n");
  if (buffer_.size() >= kBlockSize ||
      std::chrono::steady_clock::now() - lastFlush_ >= kFlushInterval) {
    Flush();
  }
}

void ReportFile::Fail(const char* what, int error) {
  // Keep only whole lines: cut the file back to the last line end written.
  (void)::ftruncate(fd_, static_cast<off_t>(committed_));
  buffer_.clear();
  throw RuntimeError(ErrorKind::FileError, path_ + ": " + what + ": " + Reason(error));
}

void ReportFile::Flush() {
  if (fd_ < 0 || buffer_.empty()) return;
  lastFlush_ = std::chrono::steady_clock::now();
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const long n = gWrite.load()(fd_, buffer_.data() + written, buffer_.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      // Lines written completely before the failure stay in the file.
      if (written > 0) {
        const auto lastEnd = buffer_.rfind('\n', written - 1);
        if (lastEnd != std::string::npos) committed_ += static_cast<long long>(lastEnd + 1);
      }
      Fail("cannot write", error);
    }
    written += static_cast<std::size_t>(n);
  }
  committed_ += static_cast<long long>(buffer_.size());
  buffer_.clear();
  CheckStillThere();
}

void ReportFile::FlushIfOlder(std::chrono::steady_clock::duration age) {
  if (std::chrono::steady_clock::now() - lastFlush_ >= age) Flush();
}

void ReportFile::CheckStillThere() {
  // Writes into a file that has lost its last name succeed and are lost with
  // it; reporting success then would hide that the results are gone.
  struct stat status {};
  if (::fstat(fd_, &status) == 0 && status.st_nlink == 0) {
    buffer_.clear();
    throw RuntimeError(
        ErrorKind::FileError,
        path_ + ": the file was deleted during the start (was its directory removed?)");
  }
}

void ReportFile::Close() {
  if (fd_ < 0) return;
  try {
    Flush();
    CheckStillThere();
  } catch (...) {
    ::close(fd_);
    fd_ = -1;
    throw;
  }
  const int result = ::close(fd_);
  fd_ = -1;
  if (result != 0) {
    throw RuntimeError(ErrorKind::FileError, path_ + ": cannot close: " + Reason(errno));
  }
}

ReportFiles::~ReportFiles() {
  CloseAllQuietly();
}

ReportFile& ReportFiles::At(int n) {
  if (n < 1 || n > 3) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "report file " + std::to_string(n));
  }
  if (!files_[static_cast<std::size_t>(n)]) {
    throw RuntimeError(ErrorKind::FileError, "report file " + std::to_string(n) + " is not open");
  }
  return *files_[static_cast<std::size_t>(n)];
}

void ReportFiles::LockDirectory(const std::string& saveDirectory) {
  if (discarding_) return;
  const std::string directory = SaveDirectoryPath(saveDirectory);
  const bool locked = std::any_of(locks_.begin(), locks_.end(),
                                  [&](const auto& lock) { return lock->directory() == directory; });
  if (!locked) locks_.push_back(std::make_unique<DirectoryLock>(directory));
}

void ReportFiles::Open(int n, const std::string& saveDirectory) {
  if (n < 1 || n > 3) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "report file " + std::to_string(n));
  }
  if (discarding_) {
    discardOpen_[static_cast<std::size_t>(n)] = true;
    return;
  }
  LockDirectory(saveDirectory);
  auto& slot = files_[static_cast<std::size_t>(n)];
  if (slot) {
    slot->Close();
    slot.reset();
  }
  slot = std::make_unique<ReportFile>(ReportFilePath(saveDirectory, n));
}

void ReportFiles::WriteLine(int n, std::string_view text) {
  if (discarding_ && IsOpen(n)) return;
  At(n).WriteLine(text);
}

bool ReportFiles::IsOpen(int n) const {
  if (n < 1 || n > 3) return false;
  const auto slot = static_cast<std::size_t>(n);
  return files_[slot] != nullptr || discardOpen_[slot];
}

void ReportFiles::FlushAll() {
  for (auto& file : files_) {
    if (file) file->Flush();
  }
}

void ReportFiles::FlushFinishedRun() {
  for (auto& file : files_) {
    if (file) file->FlushIfOlder(kRunFlushInterval);
  }
}

void ReportFiles::CloseAll() {
  discardOpen_ = {};
  std::exception_ptr first;
  for (auto& file : files_) {
    if (!file) continue;
    try {
      file->Close();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
    file.reset();
  }
  // Files written into a directory that was moved or deleted meanwhile are
  // not where the start says they are: that is no success.
  for (const auto& lock : locks_) {
    if (!first && !lock->StillThere()) {
      first = std::make_exception_ptr(RuntimeError(
          ErrorKind::FileError, lock->directory() +
                                    ": the save directory was moved or deleted during the start; "
                                    "its report files are no longer there"));
    }
  }
  if (!holdDirectories_) locks_.clear();
  if (first) std::rethrow_exception(first);
}

std::string ReportFiles::MovedDirectory(const std::string& saveDirectory) const {
  const std::string directory = SaveDirectoryPath(saveDirectory);
  for (const auto& lock : locks_) {
    if (lock->directory() == directory && !lock->StillThere()) return lock->WhereNow();
  }
  return {};
}

void ReportFiles::ReleaseDirectories() {
  holdDirectories_ = false;
  locks_.clear();
}

void ReportFiles::CloseAllQuietly() noexcept {
  try {
    CloseAll();
  } catch (...) {
  }
}

void OpenReportFile(ReportFiles& reports, const std::string& saveDirectory, std::int16_t n) {
  reports.Open(n, saveDirectory);
}

}  // namespace recmod
