#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace recmod {

// What stands at `path` that no output file may replace: "a link", "a
// directory", "a FIFO", "a socket" or "a device"; nothing when the name is
// free or holds a regular file. Looks without following a link and without
// opening anything, so a FIFO never blocks the caller.
std::optional<std::string> KindInTheWay(const std::filesystem::path& path);

// Why no output file could be written at `path`, checked before a start so
// that it fails before its work, not after: no such directory, a name too
// long, something in the way (KindInTheWay), or a directory in which no file
// can be created (read-only, no permission; tried with a temporary file that
// is removed at once). Nothing when the file can be written.
std::optional<std::string> OutputFileProblem(const std::filesystem::path& path);

// Whether a file must be on the disk before it takes its name: a record that
// others rely on after a crash is; a picture or table that can be made again
// is not.
enum class Durability { Ordinary, Durable };

// Writes `contents` as the file `path`, so that the name holds the old file
// or the whole new one and never a part: the bytes go to a temporary file
// created exclusively under an unpredictable name in the same directory,
// every write and the close are checked (and, when durable, the file and then
// the directory are synced), and the temporary file is renamed over `path`.
// A link or anything but a regular file at `path` is refused, not followed
// or opened. On any failure the temporary file is removed and a "File error"
// naming `path` and the system's reason is raised.
void WriteFileSafely(const std::filesystem::path& path, std::string_view contents,
                     Durability durability = Durability::Ordinary);

// The same care for a file too large to hold in memory, whose bytes come
// piece by piece (the rows of a long table): they go to a temporary file
// beside `path` as they come, and only Commit gives it the name `path`.
// Until then, and when anything fails or the object goes without a commit,
// `path` keeps what it held and the temporary file is removed. Failures
// raise the "File error" of WriteFileSafely.
class StreamedFileWrite {
 public:
  explicit StreamedFileWrite(std::filesystem::path path);
  ~StreamedFileWrite();
  StreamedFileWrite(const StreamedFileWrite&) = delete;
  StreamedFileWrite& operator=(const StreamedFileWrite&) = delete;

  void Append(std::string_view text);
  // Writes what is left, closes the file and renames it to `path`.
  void Commit();
  const std::filesystem::path& path() const { return path_; }

 private:
  void Flush();
  void Abandon();

  std::filesystem::path path_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace recmod
