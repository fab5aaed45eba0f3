// A start whose report files fail under it: the error names the path and the
// reason, the files keep every complete line written before the fault, and
// the window's record stays usable for the next start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "model/RuntimeError.hpp"
#include "output/ReportFiles.hpp"
#include "run/Engine.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TypeInto;

// Bytes the disk still takes before every write fails with EIO.
long gBytesLeft = 0;

long WriteUntilFull(int fd, const void* data, std::size_t size) {
  const long n = std::min(static_cast<long>(size), gBytesLeft);
  if (n <= 0) {
    errno = EIO;
    return -1;
  }
  const long done = static_cast<long>(::write(fd, data, static_cast<std::size_t>(n)));
  if (done > 0) gBytesLeft -= done;
  return done;
}

class FailingDisk {
 public:
  explicit FailingDisk(long bytes) {
    gBytesLeft = bytes;
    previous_ = SetReportWriteFunction(WriteUntilFull);
  }
  ~FailingDisk() { SetReportWriteFunction(previous_); }

 private:
  ReportWriteFunction previous_;
};

// The lines of a file; fails the test when the last one has no CR LF or
// any line holds a lone CR or LF.
std::vector<std::string> CompleteLines(const fs::path& path) {
  const std::string text = ReadFileBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a partial last line in " << path << ": \"" << text.substr(start) << "\"";
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

class StartFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    Form_Load(sim);
    TypeInto(sim, 30, directory.string());
    ASSERT_EQ(sim.controls.Text(30), directory.string());
  }

  // Starts and expects a File error naming `file` and `reason`.
  void ExpectStartFails(const std::string& file, const std::string& reason) {
    try {
      Start_Click(sim);
      ADD_FAILURE() << "the start did not fail";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), ErrorKind::FileError);
      const std::string text = error.what();
      EXPECT_NE(text.find((directory.path() / file).string()), std::string::npos) << text;
      EXPECT_NE(text.find(reason), std::string::npos) << text;
    }
  }

  testing::TempDirectory directory;
  Simulator sim;
};

TEST_F(StartFaults, AFullDiskInASingleRunKeepsWholeGenerationLinesAndTheNextStartWorks) {
  TypeInto(sim, 17, "10000");
  {
    // About 4 600 generation lines fit; the fault comes in a later block.
    FailingDisk disk(600000);
    ExpectStartFails("ReportFile1.txt", std::strerror(EIO));
  }
  std::vector<std::string> lines = CompleteLines(directory.path() / "ReportFile1.txt");
  ASSERT_GT(lines.size(), 1000U);
  EXPECT_LT(lines.size(), 10001U);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 8) << "line " << i;
    ASSERT_EQ(lines[i].back(), '\t') << "line " << i;
  }
  // Nothing stays open, and the record is fit for another start.
  EXPECT_FALSE(sim.reports.IsOpen(1));
  TypeInto(sim, 17, "250");
  EXPECT_EQ(Start_Click(sim), StartOutcome::Finished);
  lines = CompleteLines(directory.path() / "ReportFile1.txt");
  EXPECT_EQ(lines.size(), 251U);
}

TEST_F(StartFaults, AFullDiskInTheLoopOverLog10NKeepsWholeLinesInBothFiles) {
  testing::SelectOption(sim, 3);
  TypeInto(sim, 8, "200");
  TypeInto(sim, 17, "10");
  TypeInto(sim, 18, "1");
  TypeInto(sim, 19, "4");
  sim.seed = 5;
  {
    // The loop's 1 400 results (about 25 kB) reach the disk when the files
    // are closed at the end; ReportFile2 is closed first and fails.
    FailingDisk disk(10000);
    ExpectStartFails("ReportFile2.txt", std::strerror(EIO));
  }
  const std::vector<std::string> results = CompleteLines(directory.path() / "ReportFile2.txt");
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0], "N = 1");
  for (const std::string& line : results) {
    if (line.rfind("N =", 0) == 0 || line == " ") continue;
    const double value = std::stod(line);
    EXPECT_TRUE(value >= 0.0 && value <= 1.0) << line;
  }
  const std::vector<std::string> statistics = CompleteLines(directory.path() / "ReportFile3.txt");
  if (!statistics.empty()) {
    EXPECT_EQ(statistics[0], "N\tMean\tS.D.");
  }

  // The same start on a sound disk writes the whole loop.
  EXPECT_EQ(Start_Click(sim), StartOutcome::Finished);
  EXPECT_EQ(CompleteLines(directory.path() / "ReportFile3.txt").size(), 1U + 7U);
}

TEST_F(StartFaults, ADirectoryInTheWayOfAReportFileStopsTheStartBeforeAnyRun) {
  fs::create_directory(directory.path() / "ReportFile1.txt");
  fs::create_directory(directory.path() / "ReportFile1.txt" / "inside");
  ExpectStartFails("ReportFile1.txt", "a directory is in the way");
  EXPECT_TRUE(fs::is_directory(directory.path() / "ReportFile1.txt" / "inside"));
  EXPECT_EQ(sim.engine.Generation, 0) << "no generation ran";

  // Out of the way, the next start works.
  fs::remove_all(directory.path() / "ReportFile1.txt");
  EXPECT_EQ(Start_Click(sim), StartOutcome::Finished);
}

}  // namespace
}  // namespace recmod
