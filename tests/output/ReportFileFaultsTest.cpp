// Faults of the file system under the report writer: whatever fails, the
// user is told the path and the reason, and the file keeps every complete
// line written before the fault and no partial line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "model/RuntimeError.hpp"
#include "output/ReportFiles.hpp"
#include "support/ScratchMount.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

// What the replaced write call does: accept `budget` bytes in all, then fail
// with `error`; hand out at most `chunk` bytes a call; fail with EINTR on the
// first `interrupts` calls.
struct WritePlan {
  long budget = -1;  // -1: no limit
  int error = ENOSPC;
  long chunk = -1;
  int interrupts = 0;
  long written = 0;
};
WritePlan gPlan;

long PlannedWrite(int fd, const void* data, std::size_t size) {
  if (gPlan.interrupts > 0) {
    --gPlan.interrupts;
    errno = EINTR;
    return -1;
  }
  long n = static_cast<long>(size);
  if (gPlan.chunk > 0 && n > gPlan.chunk) n = gPlan.chunk;
  if (gPlan.budget >= 0 && n > gPlan.budget - gPlan.written) n = gPlan.budget - gPlan.written;
  if (n <= 0) {
    errno = gPlan.error;
    return -1;
  }
  const long done = static_cast<long>(::write(fd, data, static_cast<std::size_t>(n)));
  if (done > 0) gPlan.written += done;
  return done;
}

// Puts PlannedWrite in place of the system's write call while it lives.
class PlannedWrites {
 public:
  explicit PlannedWrites(WritePlan plan) {
    gPlan = plan;
    previous_ = SetReportWriteFunction(PlannedWrite);
  }
  ~PlannedWrites() { SetReportWriteFunction(previous_); }

 private:
  ReportWriteFunction previous_;
};

// Line i of a test file: lines of different lengths, so that a cut at any
// byte can land in the middle of a line.
std::string NumberedLine(int i) {
  return std::to_string(i) + "\t" + std::string(static_cast<std::size_t>(i % 37), 'x') + "\t";
}

// True when `text` is lines 0, 1, ..., k-1 of NumberedLine for some k, each
// ending with CR LF.
::testing::AssertionResult WholeNumberedLines(const std::string& text, int* count = nullptr) {
  std::size_t at = 0;
  int i = 0;
  while (at < text.size()) {
    const std::string line = NumberedLine(i) + "\r\n";
    if (text.compare(at, line.size(), line) != 0) {
      return ::testing::AssertionFailure() << "line " << i << " at byte " << at
                                           << " is cut or wrong: \"" << text.substr(at, 40) << "\"";
    }
    at += line.size();
    ++i;
  }
  if (count != nullptr) *count = i;
  return ::testing::AssertionSuccess();
}

// Runs `call`, which must raise a File error naming `path` and `reason`.
template <typename Call>
void ExpectFileError(Call&& call, const std::string& path, const std::string& reason) {
  try {
    call();
    ADD_FAILURE() << "no error; expected one naming " << path;
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::FileError);
    const std::string text = error.what();
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
  }
}

constexpr int kManyLines = 6000;  // about 170 kB: several blocks of the writer

TEST(ReportFileFaults, AWriteErrorAtAnyByteLeavesOnlyCompleteLines) {
  testing::TempDirectory directory;
  const std::string path = (directory.path() / "ReportFile2.txt").string();
  std::string all;
  for (int i = 0; i < kManyLines; ++i) all += NumberedLine(i) + "\r\n";

  // Budgets at the very start, inside the first line, at a line end, just
  // after a line end (between CR and LF), inside a later block, and just
  // short of the end (the failure then comes when the file is closed).
  const std::size_t firstLine = NumberedLine(0).size() + 2;
  const long budgets[] = {0,
                          1,
                          static_cast<long>(firstLine),
                          static_cast<long>(firstLine) + 1,
                          static_cast<long>(firstLine) - 1,
                          70001,
                          150000,
                          static_cast<long>(all.size()) - 1};
  const int errors[] = {ENOSPC, EIO, EDQUOT};
  int variant = 0;
  for (const long budget : budgets) {
    const int error = errors[variant++ % 3];
    SCOPED_TRACE("budget " + std::to_string(budget) + ", " + std::strerror(error));
    ReportFiles reports;
    OpenReportFile(reports, directory.string(), 2);
    {
      PlannedWrites plan({.budget = budget, .error = error});
      ExpectFileError(
          [&] {
            for (int i = 0; i < kManyLines; ++i) reports.WriteLine(2, NumberedLine(i));
            reports.CloseAll();
          },
          path, std::strerror(error));
      reports.CloseAllQuietly();
    }
    const std::string kept = ReadFileBytes(path);
    int lines = 0;
    EXPECT_TRUE(WholeNumberedLines(kept, &lines));
    EXPECT_LE(static_cast<long>(kept.size()), budget);
    // Nothing complete that reached the disk is lost: at most one line's
    // worth below the budget.
    EXPECT_GT(static_cast<long>(kept.size()) + static_cast<long>(NumberedLine(lines).size()) + 2,
              budget);
  }
}

TEST(ReportFileFaults, InterruptedAndShortWritesLoseNothing) {
  testing::TempDirectory directory;
  ReportFiles reports;
  OpenReportFile(reports, directory.string(), 1);
  {
    PlannedWrites plan({.chunk = 7, .interrupts = 3});
    for (int i = 0; i < kManyLines; ++i) reports.WriteLine(1, NumberedLine(i));
    EXPECT_NO_THROW(reports.CloseAll());
  }
  int lines = 0;
  EXPECT_TRUE(WholeNumberedLines(ReadFileBytes(directory.path() / "ReportFile1.txt"), &lines));
  EXPECT_EQ(lines, kManyLines);
}

TEST(ReportFileFaults, AFailureOfOneFileStillClosesTheOthersWithAllTheirLines) {
  testing::TempDirectory directory;
  ReportFiles reports;
  OpenReportFile(reports, directory.string(), 2);
  OpenReportFile(reports, directory.string(), 3);
  for (int i = 0; i < 10; ++i) reports.WriteLine(3, NumberedLine(i));
  {
    // Report file 2 fails first (it is closed first); file 3 then has no
    // bytes left either, so both are cut back to their last whole line.
    PlannedWrites plan({.budget = 50, .error = EIO});
    for (int i = 0; i < 10; ++i) reports.WriteLine(2, NumberedLine(i));
    ExpectFileError([&] { reports.CloseAll(); }, (directory.path() / "ReportFile2.txt").string(),
                    std::strerror(EIO));
  }
  EXPECT_FALSE(reports.IsOpen(2));
  EXPECT_FALSE(reports.IsOpen(3));
  EXPECT_TRUE(WholeNumberedLines(ReadFileBytes(directory.path() / "ReportFile2.txt")));
  EXPECT_TRUE(WholeNumberedLines(ReadFileBytes(directory.path() / "ReportFile3.txt")));
}

TEST(ReportFileFaults, ADirectoryRemovedDuringTheWritingIsAnError) {
  testing::TempDirectory scratch;
  const fs::path directory = scratch.path() / "out";
  fs::create_directory(directory);
  ReportFiles reports;
  OpenReportFile(reports, directory.string(), 1);
  for (int i = 0; i < 100; ++i) reports.WriteLine(1, NumberedLine(i));
  fs::remove_all(directory);
  // The lines went into a file that no longer has a name: not a success.
  ExpectFileError([&] { reports.CloseAll(); }, (directory / "ReportFile1.txt").string(), "deleted");

  // Deleted while blocks are being written: the error comes with the next
  // block, not only at the end.
  fs::create_directory(directory);
  OpenReportFile(reports, directory.string(), 1);
  fs::remove(directory / "ReportFile1.txt");
  ExpectFileError(
      [&] {
        for (int i = 0; i < kManyLines; ++i) reports.WriteLine(1, NumberedLine(i));
      },
      (directory / "ReportFile1.txt").string(), "deleted");
  reports.CloseAllQuietly();
}

TEST(ReportFileFaults, WhatStandsInTheWayIsNamedAndLeftAlone) {
  testing::TempDirectory scratch;
  ReportFiles reports;
  // An ordinary file where the save directory should be.
  const fs::path notADirectory = scratch.path() / "results";
  { std::ofstream(notADirectory) << "keep me"; }
  ExpectFileError([&] { OpenReportFile(reports, notADirectory.string(), 1); },
                  (notADirectory / "ReportFile1.txt").string(), std::strerror(ENOTDIR));
  EXPECT_EQ(ReadFileBytes(notADirectory), "keep me");

  // A directory with contents in place of a report file.
  fs::create_directories(scratch.path() / "ReportFile3.txt" / "inside");
  ExpectFileError([&] { OpenReportFile(reports, scratch.string(), 3); },
                  (scratch.path() / "ReportFile3.txt").string(), "a directory is in the way");
  EXPECT_TRUE(fs::is_directory(scratch.path() / "ReportFile3.txt" / "inside"));

  // A link of the report file's name: the link is replaced, and the file it
  // points to is never written through it.
  const fs::path elsewhere = scratch.path() / "elsewhere.txt";
  { std::ofstream(elsewhere) << "not a report"; }
  fs::create_symlink(elsewhere, scratch.path() / "ReportFile2.txt");
  OpenReportFile(reports, scratch.string(), 2);
  reports.WriteLine(2, "N = 1");
  reports.CloseAll();
  EXPECT_FALSE(fs::is_symlink(scratch.path() / "ReportFile2.txt"));
  EXPECT_EQ(ReadFileBytes(scratch.path() / "ReportFile2.txt"), "N = 1\r\n");
  EXPECT_EQ(ReadFileBytes(elsewhere), "not a report");
}

TEST(ReportFileFaults, ARealFullDeviceKeepsTheLinesThatFit) {
  testing::ScratchMount device(32 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs to fill: " << device.failure();
  const std::string path = (device.path() / "ReportFile1.txt").string();
  ReportFiles reports;
  OpenReportFile(reports, device.path().string(), 1);
  ExpectFileError(
      [&] {
        for (int i = 0; i < kManyLines; ++i) reports.WriteLine(1, NumberedLine(i));
        reports.CloseAll();
      },
      path, std::strerror(ENOSPC));
  reports.CloseAllQuietly();
  int lines = 0;
  EXPECT_TRUE(WholeNumberedLines(ReadFileBytes(path), &lines));
  // The device held some lines, and all of them were kept.
  EXPECT_GT(lines, 100);
  EXPECT_LE(fs::file_size(path), 32U * 1024U);
}

TEST(ReportFileFaults, AReadOnlyDirectoryAndAFileThatCannotBeDeletedAreNamed) {
  testing::ScratchMount device(64 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs: " << device.failure();
  { std::ofstream(device.path() / "ReportFile2.txt") << "from an earlier start\r\n"; }
  ASSERT_TRUE(device.Remount(true)) << "cannot remount read-only";
  ReportFiles reports;
  // The old file is in the way and cannot be deleted: it stays as it was.
  ExpectFileError([&] { OpenReportFile(reports, device.path().string(), 2); },
                  (device.path() / "ReportFile2.txt").string(), "cannot delete");
  EXPECT_EQ(ReadFileBytes(device.path() / "ReportFile2.txt"), "from an earlier start\r\n");
  // No file of that name yet, and none can be made.
  ExpectFileError([&] { OpenReportFile(reports, device.path().string(), 3); },
                  (device.path() / "ReportFile3.txt").string(), std::strerror(EROFS));
  EXPECT_FALSE(fs::exists(device.path() / "ReportFile3.txt"));
  EXPECT_NO_THROW(reports.CloseAll());
  device.Remount(false);
}

// Another program plants a link of the report file's name, again and again,
// while starts recreate the file: whichever wins, the file the link points to
// never changes. A start that loses the race says which name was taken.
TEST(ReportFileFaults, ALinkPlantedWhileTheFileIsRecreatedIsNeverFollowed) {
  testing::TempDirectory scratch;
  testing::TempDirectory outside;
  const fs::path precious = outside.path() / "precious.txt";
  { std::ofstream(precious) << "precious\n"; }
  const fs::path report = scratch.path() / "ReportFile1.txt";
  std::atomic<bool> done{false};
  std::thread planter([&] {
    while (!done) ::symlink(precious.c_str(), report.c_str());
  });
  int refused = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < end) {
    ReportFiles reports;
    try {
      OpenReportFile(reports, scratch.string(), 1);
      reports.WriteLine(1, "written by the start");
      reports.CloseAll();
    } catch (const RuntimeError& error) {
      ++refused;
      ASSERT_NE(std::string(error.what()).find(report.string() + ": cannot create: the name was"),
                std::string::npos)
          << error.what();
    }
  }
  done = true;
  planter.join();
  RecordProperty("StartsThatLostTheRace", refused);
  EXPECT_EQ(ReadFileBytes(precious), "precious\n") << refused << " starts lost the race";
}

// A second start into a directory that a start is writing is refused before
// it touches anything; once the first has closed its files, it may go.
TEST(ReportFileFaults, OneStartAtATimeWritesIntoADirectory) {
  testing::TempDirectory scratch;
  ReportFiles first;
  OpenReportFile(first, scratch.string(), 2);
  first.WriteLine(2, "N = 1");
  { std::ofstream(scratch.path() / "ReportFile1.txt") << "kept\r\n"; }
  ReportFiles second;
  ExpectFileError([&] { OpenReportFile(second, scratch.string(), 1); }, scratch.string(),
                  "another start is writing its report files there");
  EXPECT_EQ(ReadFileBytes(scratch.path() / "ReportFile1.txt"), "kept\r\n");
  first.CloseAll();
  EXPECT_EQ(ReadFileBytes(scratch.path() / "ReportFile2.txt"), "N = 1\r\n");
  EXPECT_NO_THROW(OpenReportFile(second, scratch.string(), 1));
  second.CloseAll();
  EXPECT_EQ(ReadFileBytes(scratch.path() / "ReportFile1.txt"), "");
}

}  // namespace
}  // namespace recmod
