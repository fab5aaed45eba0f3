// The one path by which tables, pictures and records are written: a file is
// whole or absent, nothing but a regular file is ever replaced, and every
// failure names the path and the system's reason.
#include "output/SafeFileWrite.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/RuntimeError.hpp"
#include "record/AtomicFileWrite.hpp"
#include "support/ScratchMount.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDirectory;

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The reason of the file error that `write` raises, "" when it raises none.
template <typename Write>
std::string FailureOf(Write write) {
  try {
    write();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::FileError);
    return error.detail();
  }
  return {};
}

std::size_t EntriesIn(const fs::path& directory) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

TEST(SafeFileWrite, ReplacesARegularFileWholeAndLeavesNoTemporaryFile) {
  TempDirectory dir;
  const fs::path file = dir / "table.csv";
  WriteFileSafely(file, "first\n");
  WriteText(dir / "other", "kept");
  WriteFileSafely(file, std::string(200000, 'x'), Durability::Durable);
  EXPECT_EQ(ReadFileBytes(file), std::string(200000, 'x'));
  EXPECT_EQ(EntriesIn(dir.path()), 2U);
  // Created as any new file of the user is (the umask decides).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat status {};
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

// Each is refused before anything is opened or created: a FIFO would block
// the writer, a link would send the bytes elsewhere.
TEST(SafeFileWrite, NothingButARegularFileIsReplacedOrOpened) {
  TempDirectory dir;
  WriteText(dir / "victim", "victim");
  fs::create_symlink(dir / "victim", dir / "link.csv");
  ASSERT_EQ(::mkfifo((dir / "fifo.csv").c_str(), 0644), 0);
  fs::create_directory(dir / "directory.csv");
  const struct {
    fs::path path;
    const char* kind;
  } kCases[] = {{dir / "link.csv", "a link"},
                {dir / "fifo.csv", "a FIFO"},
                {dir / "directory.csv", "a directory"},
                {"/dev/null", "a device"}};
  for (const auto& in : kCases) {
    const std::string expected = std::string(in.kind) + " is in the way";
    EXPECT_NE(FailureOf([&] { WriteFileSafely(in.path, "data"); }).find(expected),
              std::string::npos)
        << in.path;
    const auto problem = OutputFileProblem(in.path);
    ASSERT_TRUE(problem.has_value()) << in.path;
    EXPECT_NE(problem->find(expected), std::string::npos) << *problem;
  }
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "victim");
  EXPECT_EQ(EntriesIn(dir.path()), 4U);
}

TEST(SafeFileWrite, PathsThatCannotTakeAFileAreToldBeforehand) {
  TempDirectory dir;
  EXPECT_FALSE(OutputFileProblem(dir / "fine.csv").has_value());
  EXPECT_FALSE(fs::exists(dir / "fine.csv"));
  EXPECT_EQ(EntriesIn(dir.path()), 0U) << "the probe leaves nothing";
  const auto missing = OutputFileProblem(dir / "none" / "t.csv");
  ASSERT_TRUE(missing.has_value());
  EXPECT_NE(missing->find("No such file or directory"), std::string::npos) << *missing;
  const auto tooLong = OutputFileProblem(dir / (std::string(5000, 'a') + ".csv"));
  ASSERT_TRUE(tooLong.has_value());
  EXPECT_NE(tooLong->find("File name too long"), std::string::npos) << *tooLong;

  testing::ScratchMount readOnly(64 * 1024, true);
  if (!readOnly.mounted()) GTEST_SKIP() << "no tmpfs: " << readOnly.failure();
  const auto refused = OutputFileProblem(readOnly.path() / "t.csv");
  ASSERT_TRUE(refused.has_value());
  EXPECT_NE(refused->find("Read-only file system"), std::string::npos) << *refused;
}

TEST(SafeFileWrite, AFullDeviceKeepsTheOldFileAndLeavesNoPart) {
  testing::ScratchMount device(32 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs to fill: " << device.failure();
  const fs::path file = device.path() / "picture.svg";
  WriteFileSafely(file, "old");
  const std::string failure =
      FailureOf([&] { WriteFileSafely(file, std::string(256 * 1024, 'x')); });
  EXPECT_NE(failure.find(file.string() + ": No space left on device"), std::string::npos)
      << failure;
  EXPECT_EQ(ReadFileBytes(file), "old");
  EXPECT_EQ(EntriesIn(device.path()), 1U);
}

// The record was once written through "<name>.tmp-<pid>", opened without
// O_EXCL: a hard link planted at that name was written through.
TEST(SafeFileWrite, ALinkPlantedAtAGuessableTemporaryNameIsNeverWrittenThrough) {
  TempDirectory dir;
  WriteText(dir / "victim", "victim");
  const fs::path record = dir / "recmod-run.json";
  fs::create_hard_link(dir / "victim", dir / ("recmod-run.json.tmp-" + std::to_string(::getpid())));
  ReplaceFileAtomically(record, "{}\n");
  EXPECT_EQ(ReadFileBytes(record), "{}\n");
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "victim");
}

}  // namespace
}  // namespace recmod
