#include "output/ReportFiles.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/RuntimeError.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

class ReportFilesTest : public ::testing::Test {
 protected:
  testing::TempDirectory directory;
  ReportFiles reports;
};

TEST_F(ReportFilesTest, NamesAreTheDirectoryAndReportFileN) {
  EXPECT_EQ(ReportFilePath("/data/out", 1), "/data/out/ReportFile1.txt");
  EXPECT_EQ(ReportFilePath("/data/out", 3), "/data/out/ReportFile3.txt");
  // The "\" separator of a typed directory maps to "/".
  EXPECT_EQ(ReportFilePath("\\data\\out", 2), "/data/out/ReportFile2.txt");
  // "C:" stands for the working directory.
  EXPECT_EQ(ReportFilePath("C:", 1), (fs::current_path() / "ReportFile1.txt").string());
}

TEST_F(ReportFilesTest, LinesEndWithCarriageReturnAndLineFeed) {
  OpenReportFile(reports, directory.string(), 1);
  EXPECT_TRUE(reports.IsOpen(1));
  EXPECT_FALSE(reports.IsOpen(2));
  reports.WriteLine(1, "ab\tAb");
  reports.WriteLine(1, "");
  reports.WriteLine(1, " .5\t 1\t");
  reports.CloseAll();
  EXPECT_FALSE(reports.IsOpen(1));
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile1.txt"), "ab\tAb\r\n\r\n .5\t 1\t\r\n");
}

TEST_F(ReportFilesTest, SeveralFilesAreOpenAtOnceAndClosedTogether) {
  OpenReportFile(reports, directory.string(), 2);
  OpenReportFile(reports, directory.string(), 3);
  reports.WriteLine(2, "N = 1");
  reports.WriteLine(3, "N\tMean\tS.D.");
  reports.CloseAll();
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile2.txt"), "N = 1\r\n");
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile3.txt"), "N\tMean\tS.D.\r\n");
  EXPECT_FALSE(fs::exists(directory.path() / "ReportFile1.txt"));
}

TEST_F(ReportFilesTest, AnExistingFileIsReplacedAndOthersAreLeftAlone) {
  {
    std::ofstream old(directory.path() / "ReportFile1.txt", std::ios::binary);
    old << std::string(100000, 'x');
    std::ofstream other(directory.path() / "ReportFile2.txt", std::ios::binary);
    other << "keep\r\n";
  }
  OpenReportFile(reports, directory.string(), 1);
  reports.WriteLine(1, "new");
  reports.CloseAll();
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile1.txt"), "new\r\n");
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile2.txt"), "keep\r\n");

  // Opening again within one program run starts the file afresh too.
  OpenReportFile(reports, directory.string(), 1);
  OpenReportFile(reports, directory.string(), 1);
  reports.CloseAll();
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile1.txt"), "");
}

TEST_F(ReportFilesTest, ManyLinesAreAllWritten) {
  OpenReportFile(reports, directory.string(), 1);
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = std::to_string(i) + "\t .123456789012345\t";
    reports.WriteLine(1, line);
    expected += line + "\r\n";
  }
  reports.CloseAll();
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile1.txt"), expected);
}

TEST_F(ReportFilesTest, ClosingWithNothingOpenIsFine) {
  EXPECT_NO_THROW(reports.CloseAll());
  OpenReportFile(reports, directory.string(), 1);
  reports.CloseAll();
  EXPECT_NO_THROW(reports.CloseAll());
}

TEST_F(ReportFilesTest, FilesThatCannotBeMadeAreFileErrorsNamingThePath) {
  auto expectFileError = [](auto&& call, const std::string& path) {
    try {
      call();
      ADD_FAILURE() << "no error for " << path;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), ErrorKind::FileError);
      const std::string text = error.what();
      EXPECT_EQ(text.rfind("File error", 0), 0u) << text;
      EXPECT_NE(text.find(path), std::string::npos) << text;
    }
  };
  // A directory where the file should be.
  fs::create_directory(directory.path() / "ReportFile1.txt");
  const std::string blocked = (directory.path() / "ReportFile1.txt").string();
  expectFileError([&] { OpenReportFile(reports, directory.string(), 1); }, blocked);
  EXPECT_TRUE(fs::is_directory(blocked)) << "the directory in the way is not removed";

  // A directory that does not exist.
  const std::string missing = (directory.path() / "missing").string();
  expectFileError([&] { OpenReportFile(reports, missing, 2); }, missing + "/ReportFile2.txt");

  // Writing to a file that is not open.
  expectFileError([&] { reports.WriteLine(3, "x"); }, "report file 3");
  EXPECT_NO_THROW(reports.CloseAll());
}

TEST_F(ReportFilesTest, OnlyFilesOneToThreeExist) {
  try {
    OpenReportFile(reports, directory.string(), 4);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::SubscriptOutOfRange);
  }
  EXPECT_FALSE(fs::exists(directory.path() / "ReportFile4.txt"));
}

}  // namespace
}  // namespace recmod
