#include "OutputPaths.hpp"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <memory>

#include "EscapedText.hpp"
#include "model/RuntimeError.hpp"
#include "output/DirectoryLock.hpp"
#include "output/ReportFiles.hpp"
#include "output/SafeFileWrite.hpp"
#include "record/RunRecord.hpp"

namespace recmod::batch {

namespace {

namespace fs = std::filesystem;

// The names under which starts keep their results: an output of that name
// would replace the results or the record of some start.
bool IsResultName(const std::string& name) {
  static const std::array<std::string, 4> kNames = {"ReportFile1.txt", "ReportFile2.txt",
                                                    "ReportFile3.txt", kRunRecordFileName};
  for (const std::string& reserved : kNames) {
    if (name == reserved) return true;
  }
  return false;
}

// A path as a message shows it: escaped, and a very long one cut short.
std::string ShownPath(const std::string& path) {
  constexpr std::size_t kShown = 120;
  if (path.size() <= kShown) return EscapedText(path);
  return EscapedText(path.substr(0, kShown)) + "... (" + std::to_string(path.size()) +
         " characters)";
}

fs::path DirectoryOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

bool SameDirectory(const fs::path& a, const fs::path& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void CheckOne(const std::string& path, const std::string& option,
              const std::string& saveDirectory) {
  const std::string named = option + ": \"" + ShownPath(path) + "\": ";
  if (IsResultName(fs::path(path).filename().string())) {
    throw UsageError(named +
                     "that is the name of a report file or a record; an output never replaces "
                     "one (choose another name)");
  }
  // Another start's directory is not touched, not even by the probe below.
  try {
    LockOutputDirectory(path, saveDirectory);
  } catch (const RuntimeError&) {
    throw UsageError(named + "another start is writing its report files in that directory");
  }
  if (const auto problem = OutputFileProblem(path)) throw UsageError(named + *problem);
}

}  // namespace

std::unique_ptr<DirectoryLock> LockOutputDirectory(const std::string& path,
                                                   const std::string& saveDirectory) {
  const fs::path directory = DirectoryOf(path);
  if (SameDirectory(directory, SaveDirectoryPath(saveDirectory))) return nullptr;
  return std::make_unique<DirectoryLock>(directory.string());
}

void CheckOutputPaths(const OutputPaths& outputs, const std::string& saveDirectory) {
  if (outputs.table) CheckOne(*outputs.table, "--table", saveDirectory);
  if (outputs.picture) CheckOne(*outputs.picture, outputs.pictureOption, saveDirectory);
  if (outputs.table && outputs.picture &&
      SameDirectory(DirectoryOf(*outputs.table), DirectoryOf(*outputs.picture)) &&
      fs::path(*outputs.table).filename() == fs::path(*outputs.picture).filename()) {
    throw UsageError("--table and " + outputs.pictureOption + " name the same file \"" +
                     ShownPath(*outputs.table) + "\"; one would replace the other");
  }
}

void WriteOutputFile(const std::string& path, const std::string& contents,
                     const std::string& saveDirectory) {
  const auto lock = LockOutputDirectory(path, saveDirectory);
  WriteFileSafely(path, contents);
}

}  // namespace recmod::batch
