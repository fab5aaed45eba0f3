#pragma once

#include <memory>
#include <optional>
#include <string>

#include "BatchCommandLine.hpp"
#include "output/DirectoryLock.hpp"

namespace recmod::batch {

// The files that a start writes besides its report files and its record:
// the table (--table) and the picture (--plot, or --replot's default).
struct OutputPaths {
  std::optional<std::string> table;
  std::optional<std::string> picture;
  std::string pictureOption = "--plot";
};

// Checks, before anything runs, that each output can be written and would
// destroy nothing: its directory exists and takes new files, its name is not
// too long, no link, FIFO, directory or device stands at it, it is not the
// name of a report file or of a record (in any directory), the two outputs
// are not one file, and no other start is writing in its directory. Raises
// UsageError naming the option and the path otherwise. `saveDirectory` is
// the start's own (locked by the start itself, so not checked here).
void CheckOutputPaths(const OutputPaths& outputs, const std::string& saveDirectory);

// The lock of the directory of the output file `path` while it is written,
// so that no other start takes that directory meanwhile; none when it is the
// start's own save directory (already held). Raises RuntimeError when
// another start holds it.
std::unique_ptr<DirectoryLock> LockOutputDirectory(const std::string& path,
                                                   const std::string& saveDirectory);

// Writes `contents` as the output file `path` (WriteFileSafely), holding the
// lock of its directory while it does unless that is the start's own save
// directory (already held). Raises RuntimeError naming the path and the
// reason.
void WriteOutputFile(const std::string& path, const std::string& contents,
                     const std::string& saveDirectory);

}  // namespace recmod::batch
