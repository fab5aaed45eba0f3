#pragma once

#include <string>

namespace recmod {

// An exclusive lock on a save directory, held while a start writes its report
// files there, so that two starts (from any process, or twice from one) never
// write the same files at the same time. The lock is taken on the directory
// itself (flock), so it creates nothing in the directory and vanishes with the
// process however it ends.
class DirectoryLock {
 public:
  // Locks `directory`. Raises a "File error" naming the directory when another
  // start holds it. A directory that cannot be opened is not locked: creating
  // the report files there fails and says why.
  explicit DirectoryLock(const std::string& directory);
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  const std::string& directory() const { return directory_; }

  // Whether the directory's name still leads to the locked directory: false
  // once it was moved, renamed or deleted (its files are then no longer
  // where the start says they are). True for a directory that was not locked.
  bool StillThere() const;
  // Where the locked directory is now (after a move, its new path); empty
  // when that cannot be told or the directory was deleted.
  std::string WhereNow() const;

 private:
  std::string directory_;
  int fd_ = -1;
};

}  // namespace recmod
