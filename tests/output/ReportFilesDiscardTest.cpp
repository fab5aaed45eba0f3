// Report files of a process that computes runs for another: it must not
// touch the files the other writes (on a shared disk, opening would delete
// them). And lines flushed during a start are on disk before the close.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/RuntimeError.hpp"
#include "output/ReportFiles.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ReportDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "recmod-discard-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(ReportDirectory, DiscardingLeavesTheFilesOfAnotherAlone) {
  {
    std::ofstream other(dir / "ReportFile2.txt", std::ios::binary);
    other << "another process's line\r\n";
  }
  ReportFiles reports;
  reports.DiscardEverything();
  OpenReportFile(reports, dir.string(), 2);
  OpenReportFile(reports, dir.string(), 3);
  EXPECT_TRUE(reports.IsOpen(2));
  reports.WriteLine(2, "K\tu= 1E-05 s= .01");
  reports.WriteLine(3, "N\tMean\tS.D.");
  reports.FlushAll();
  reports.CloseAll();
  EXPECT_EQ(ReadAll(dir / "ReportFile2.txt"), "another process's line\r\n");
  EXPECT_FALSE(fs::exists(dir / "ReportFile3.txt"));
  // A file that was never opened is still an error, as without discarding.
  EXPECT_THROW(reports.WriteLine(1, "x"), RuntimeError);
  EXPECT_FALSE(reports.IsOpen(2)) << "closed with the others";
}

TEST_F(ReportDirectory, FlushedLinesAreOnDiskBeforeTheClose) {
  ReportFiles reports;
  OpenReportFile(reports, dir.string(), 2);
  reports.WriteLine(2, "N = 1");
  reports.WriteLine(2, " .5");
  EXPECT_EQ(ReadAll(dir / "ReportFile2.txt"), "") << "lines wait in the buffer";
  reports.FlushAll();
  EXPECT_EQ(ReadAll(dir / "ReportFile2.txt"), "N = 1\r\n .5\r\n");
  reports.WriteLine(2, " ");
  reports.CloseAll();
  EXPECT_EQ(ReadAll(dir / "ReportFile2.txt"), "N = 1\r\n .5\r\n \r\n");
}

}  // namespace
}  // namespace recmod
