#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "output/DirectoryLock.hpp"

namespace recmod {

// The directory that a save-directory text names: "C:" stands for the
// platform's default save directory, the current working directory, and "\"
// separators become "/".
std::string SaveDirectoryPath(const std::string& saveDirectory);

// The full name of report file n: the directory, "/ReportFile", n, ".txt".
std::string ReportFilePath(const std::string& saveDirectory, int n);

// The call that puts report-file bytes on disk: ::write(2), unless a test has
// put another in its place to act out a full device or a failing disk. It
// returns the number of bytes written, or -1 with errno set.
using ReportWriteFunction = long (*)(int fd, const void* data, std::size_t size);

// Replaces the write call of every report file of the process and returns the
// one it replaces; nullptr restores ::write. For tests only.
ReportWriteFunction SetReportWriteFunction(ReportWriteFunction write);

// One report file: whole lines ending in CR LF are buffered and written in
// blocks, and at least once a second, so that a process killed during a long
// start keeps all but its last second of lines. A write that fails leaves the file cut back to its
// last complete line and raises a "File error" naming the path and the system's reason. A file that
// was deleted while open (its directory removed during a start) raises one too, when its lines are
// written or it is closed.
class ReportFile {
 public:
  // Deletes a file of that name and creates it anew, exclusively and without
  // following a link: a name taken again between the two is an error, so a
  // file outside the save directory is never written through a planted link.
  ReportFile(const std::string& path);
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  void WriteLine(std::string_view text);
  // Writes every buffered line; raises a "File error" on failure.
  void Flush();
  // Flush, unless the last write to the file is more recent than `age`.
  void FlushIfOlder(std::chrono::steady_clock::duration age);
  void Close();
  const std::string& path() const { return path_; }

 private:
  void Fail(const char* what, int error);
  void CheckStillThere();
  std::string path_;
  int fd_ = -1;
  std::string buffer_;
  long long committed_ = 0;  // bytes of complete lines known to be on disk
  std::chrono::steady_clock::time_point lastFlush_;
};

// Report files 1, 2 and 3 ("ReportFile1.txt", ...), opened by the run mode
// that writes them and closed together at the end of a start.
class ReportFiles {
 public:
  ReportFiles() = default;
  ~ReportFiles();
  ReportFiles(const ReportFiles&) = delete;
  ReportFiles& operator=(const ReportFiles&) = delete;

  // From now on no file is touched: Open and WriteLine accept what they get
  // and put it nowhere. For a process that computes runs for another which
  // writes the files.
  void DiscardEverything() { discarding_ = true; }
  bool discarding() const { return discarding_; }

  // Deletes an existing file of that name, then creates it empty. The first
  // file opened in a directory locks it until CloseAll; a directory locked by
  // another start raises a "File error" before anything is touched.
  void Open(int n, const std::string& saveDirectory);
  // Takes the lock of the save directory now, before any file is opened (as
  // the first Open would), raising a "File error" when another start holds it.
  void LockDirectory(const std::string& saveDirectory);
  // Writes text followed by CR LF to report file n.
  void WriteLine(int n, std::string_view text);
  bool IsOpen(int n) const;
  // Puts every buffered line of the open files on disk now, so that a process
  // that may be killed keeps them; raises a "File error" on failure.
  void FlushAll();
  // After a finished run of a loop: its lines go to disk, so that a kill
  // loses no finished run, except lines of runs so short that writing them
  // one by one would slow the loop; those follow within a few milliseconds.
  void FlushFinishedRun();
  // Closes every open report file; no error when none is open. Raises a
  // "File error" when the last lines cannot be written, after closing all.
  void CloseAll();
  // Closes everything without raising, for unwinding after an error.
  void CloseAllQuietly() noexcept;
  // For a start that reads its report files back after closing them (to draw
  // them): CloseAll keeps the directories locked until ReleaseDirectories, so
  // that no other start replaces the files in between.
  void HoldDirectories() { holdDirectories_ = true; }
  void ReleaseDirectories();
  // Where the locked save directory `saveDirectory` is now, when it was
  // moved during the start and can still be found; empty otherwise.
  std::string MovedDirectory(const std::string& saveDirectory) const;

 private:
  ReportFile& At(int n);
  std::array<std::unique_ptr<ReportFile>, 4> files_;
  bool discarding_ = false;
  std::array<bool, 4> discardOpen_{};  // files "open" while discarding
  std::vector<std::unique_ptr<DirectoryLock>> locks_;
  bool holdDirectories_ = false;
};

// OpenReportFile(n) of the report files, in the directory `saveDirectory`.
void OpenReportFile(ReportFiles& reports, const std::string& saveDirectory, std::int16_t n);

}  // namespace recmod
