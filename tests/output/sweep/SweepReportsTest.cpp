// Reading the report files of the loops back: the grid of a loop over S and
// K, the points of a loop over Log10(N), files of a stopped start, and files
// that are not in the report format, refused with their line.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "driver/ExperimentDriver.hpp"
#include "driver/FinishedSweep.hpp"
#include "output/sweep/SweepReports.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

using testing::TempDirectory;

// Two values of S, three of K, as the loop writes them.
const std::string kSkReport =
    "K\tu= 1E-05 s= .01\r\n"
    " .8\t .9\r\n"
    " .9\t .5\r\n"
    " 1\t .1\r\n"
    " \r\n"
    "K\tu= 1E-05 s= .02\r\n"
    " .8\t 1\r\n"
    " .9\t .75\r\n"
    " 1\t 0\r\n"
    " \r\n";

const std::string kLog10NResults =
    "N = 1\r\n"
    " 0\r\n"
    " 1\r\n"
    " 1\r\n"
    " \r\n"
    "N = 1.5\r\n"
    " .5\r\n"
    " .5\r\n"
    " .5\r\n"
    " \r\n";

const std::string kLog10NSummary =
    "N\tMean\tS.D.\r\n"
    " 1\t .666666666666667\t .577350269189626\r\n"
    " 1.5\t .5\t 0\r\n";

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The line number that a parse of `text` refuses, or 0 when it accepts it.
int RefusedLine(const std::string& text) {
  try {
    ParseSkSweep(text, "ReportFile2.txt");
  } catch (const ReportFormatError& error) {
    EXPECT_NE(std::string(error.what())
                  .find("ReportFile2.txt, line " + std::to_string(error.line()) + ": "),
              std::string::npos)
        << error.what();
    return error.line();
  }
  return 0;
}

TEST(ReportNumbers, ReadTheReportFormatOnly) {
  EXPECT_EQ(ParseReportNumber(" .5"), 0.5);
  EXPECT_EQ(ParseReportNumber("-.25"), -0.25);
  EXPECT_EQ(ParseReportNumber(" 1E-05"), 1e-05);
  EXPECT_EQ(ParseReportNumber(" 1.5E+20"), 1.5e20);
  EXPECT_EQ(ParseReportNumber(" 0"), 0.0);
  EXPECT_EQ(ParseReportNumber(" 12"), 12.0);
  for (const char* bad : {"", " ", ".5", "0.5x", " inf", " nan", " +1", "--1", " 1 ", " 1e-05",
                          "\t.5", " .5.5", " E5"}) {
    EXPECT_FALSE(ParseReportNumber(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(SkSweepReport, ColumnsOfSAndRowsOfKWithTheirResults) {
  const SkSweep sweep = ParseSkSweep(kSkReport, "ReportFile2.txt");
  EXPECT_EQ(sweep.u, 1e-05);
  ASSERT_EQ(sweep.columns.size(), 2U);
  EXPECT_EQ(sweep.columns[0].s, 0.01);
  EXPECT_EQ(sweep.columns[1].s, 0.02);
  EXPECT_EQ(sweep.RowValues(), (std::vector<double>{0.8, 0.9, 1.0}));
  EXPECT_EQ(sweep.columns[0].results, (std::vector<double>{0.9, 0.5, 0.1}));
  EXPECT_EQ(sweep.columns[1].results, (std::vector<double>{1.0, 0.75, 0.0}));

  // Line feeds alone read the same.
  std::string unix = kSkReport;
  for (std::size_t at; (at = unix.find('\r')) != std::string::npos;) unix.erase(at, 1);
  EXPECT_EQ(ParseSkSweep(unix, "x").columns[1].results, sweep.columns[1].results);
}

TEST(SkSweepReport, AStoppedStartLeavesAShortLastColumn) {
  // Stopped after the first run of the second block: no closing blank line.
  const std::string stopped = kSkReport.substr(0, kSkReport.find(" .9\t .75"));
  const SkSweep sweep = ParseSkSweep(stopped, "ReportFile2.txt");
  ASSERT_EQ(sweep.columns.size(), 2U);
  EXPECT_EQ(sweep.columns[1].results, (std::vector<double>{1.0}));
  EXPECT_EQ(sweep.RowValues().size(), 3U);
  // Stopped before any run of the block.
  const SkSweep headerOnly =
      ParseSkSweep(kSkReport.substr(0, kSkReport.find(" .8\t 1")), "ReportFile2.txt");
  EXPECT_TRUE(headerOnly.columns[1].results.empty());
  EXPECT_TRUE(ParseSkSweep("", "ReportFile2.txt").columns.empty());
}

TEST(SkSweepReport, MalformedFilesAreRefusedAtTheirLine) {
  auto replaced = [](const std::string& from, const std::string& to) {
    std::string text = kSkReport;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  EXPECT_EQ(RefusedLine(kSkReport), 0);
  EXPECT_EQ(RefusedLine("garbage\r\n"), 1);
  EXPECT_EQ(RefusedLine(replaced(" .9\t .5", " .9 .5")), 3);                  // no TAB
  EXPECT_EQ(RefusedLine(replaced(" .9\t .5", " .9\tabc")), 3);                // no number
  EXPECT_EQ(RefusedLine(replaced(" .9\t .5", " .9\t .5\t")), 3);              // three fields
  EXPECT_EQ(RefusedLine(replaced(" 1\t .1", "1\t .1")), 4);                   // no sign blank
  EXPECT_EQ(RefusedLine(replaced(" \r\nK\tu", "\r\nK\tu")), 5);               // empty block end
  EXPECT_EQ(RefusedLine(replaced("s= .02", "s= x")), 6);                      // header value
  EXPECT_EQ(RefusedLine(replaced("u= 1E-05 s= .02", "u= 2E-05 s= .02")), 6);  // other u
  EXPECT_EQ(RefusedLine(replaced(" .9\t .75", " .95\t .75")), 8);             // not a grid
  EXPECT_EQ(RefusedLine(kSkReport + "N = 1\r\n"), 11);  // another loop's block
  // What no loop writes: a final frequency outside 0..1, a value of S twice,
  // a short block that is not the last, a block longer than the first.
  EXPECT_EQ(RefusedLine(replaced(" .9\t .5", " .9\t-5")), 3);
  EXPECT_EQ(RefusedLine(replaced(" .9\t .5", " .9\t 1E+300")), 3);
  EXPECT_EQ(RefusedLine(replaced("s= .02", "s= .01")), 6);
  EXPECT_EQ(RefusedLine(replaced(" 1\t .1\r\n", "")), 8);
  EXPECT_EQ(RefusedLine(replaced(" .9\t .75\r\n 1\t 0\r\n", "") + "K\tu= 1E-05 s= .03\r\n"), 9);
  EXPECT_EQ(RefusedLine(replaced(" 1\t 0\r\n", " 1\t 0\r\n 1.1\t 0\r\n")), 10);
}

TEST(Log10NSweepReport, PointsFromTheSummaryWithTheRunsOfTheirBlocks) {
  const Log10NSweep sweep =
      ParseLog10NSweep(kLog10NResults, "ReportFile2.txt", kLog10NSummary, "ReportFile3.txt");
  ASSERT_EQ(sweep.points.size(), 2U);
  EXPECT_EQ(sweep.points[0].log10N, 1.0F);
  EXPECT_EQ(sweep.points[0].mean, 0.666666666666667);
  EXPECT_EQ(sweep.points[0].standardDeviation, 0.577350269189626);
  EXPECT_EQ(sweep.points[0].runs, 3);
  EXPECT_EQ(sweep.points[1].log10N, 1.5F);
  EXPECT_EQ(sweep.points[1].standardDeviation, 0.0);

  // A stopped start: the unfinished block has no summary line yet.
  const std::string stopped = kLog10NResults.substr(0, kLog10NResults.rfind(" .5\r\n"));
  const std::string summary = kLog10NSummary.substr(0, kLog10NSummary.find(" 1.5\t"));
  EXPECT_EQ(ParseLog10NSweep(stopped, "2", summary, "3").points.size(), 1U);
}

TEST(Log10NSweepReport, MalformedFilesAreRefusedAtTheirLine) {
  auto refused = [](const std::string& results, const std::string& summary) {
    try {
      ParseLog10NSweep(results, "ReportFile2.txt", summary, "ReportFile3.txt");
    } catch (const ReportFormatError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_EQ(refused(kLog10NResults, "N\tMean\r\n"),
            "ReportFile3.txt, line 1: \"N<TAB>Mean\" is not the header \"N<TAB>Mean<TAB>S.D.\"");
  EXPECT_EQ(refused(kLog10NResults, kLog10NSummary + " 2\t .5\t 0\r\n"),
            "ReportFile3.txt, line 4: N = 2 has no finished block in ReportFile2.txt");
  EXPECT_NE(refused("N = 1\r\n .5\r\n.5\r\n", "").find("ReportFile2.txt, line 3: "),
            std::string::npos);
  EXPECT_NE(refused("N = x\r\n", "").find("ReportFile2.txt, line 1: "), std::string::npos);
  EXPECT_NE(refused(kLog10NResults, "N\tMean\tS.D.\r\n 1\t .5\r\n").find("line 2"),
            std::string::npos);
  // A result outside 0..1, a size twice, blocks of different lengths.
  EXPECT_NE(refused("N = 1\r\n-5\r\n", "")
                .find("ReportFile2.txt, line 2: the result \"-5\" is "
                      "not a frequency from 0 to 1"),
            std::string::npos);
  EXPECT_NE(refused(kLog10NResults + "N = 1\r\n", "").find("line 11: N = 1 comes twice"),
            std::string::npos);
  EXPECT_NE(refused("N = 1\r\n .5\r\n \r\nN = 2\r\n .5\r\n .5\r\n", "").find("line 6: "),
            std::string::npos);
  EXPECT_NE(refused(kLog10NResults, kLog10NSummary + " 1\t .5\t 0\r\n").find("line 4: N = 1 comes"),
            std::string::npos);
}

TEST(SweepReportFiles, TheLoopIsToldFromTheFileAndMissingFilesAreNamed) {
  TempDirectory dir;
  const std::string path = dir.string();
  EXPECT_THROW(ReadSweepReports(path), ReportFormatError);  // no file at all

  WriteFile(dir.path() / "ReportFile2.txt", kSkReport);
  EXPECT_TRUE(std::holds_alternative<SkSweep>(ReadSweepReports(path)));
  EXPECT_THROW(ReadSweepReports(path, SweepKind::Log10N), ReportFormatError);

  WriteFile(dir.path() / "ReportFile2.txt", kLog10NResults);
  try {
    ReadSweepReports(path);
    ADD_FAILURE() << "ReportFile3.txt is missing";
  } catch (const ReportFormatError& error) {
    EXPECT_NE(std::string(error.what()).find("ReportFile3.txt: cannot be read"), std::string::npos)
        << error.what();
  }
  WriteFile(dir.path() / "ReportFile3.txt", kLog10NSummary);
  EXPECT_EQ(std::get<Log10NSweep>(ReadSweepReports(path)).points.size(), 2U);

  // An empty file: no sweep, unless the caller knows which loop wrote it.
  WriteFile(dir.path() / "ReportFile2.txt", "");
  EXPECT_THROW(ReadSweepReports(path), ReportFormatError);
  EXPECT_TRUE(std::get<SkSweep>(ReadSweepReports(path, SweepKind::SK)).columns.empty());
}

// A start of each loop, read back as the window and the batch program read
// it: the grid is the sweep's, every result a frequency, and the statistics
// those of the runs.
TEST(FinishedSweep, ReadsBackWhatEachLoopWrote) {
  TempDirectory dir;
  Simulator sim;
  Form_Load(sim);
  testing::TypeInto(sim, 30, dir.string());
  testing::TypeInto(sim, 17, "20");
  testing::TypeInto(sim, 20, ".3");
  EXPECT_FALSE(ReadFinishedSweep(sim).has_value());  // mode 0: a single run

  testing::SelectOption(sim, 2);
  sim.sSweep = {0.05, 0.2, 0.05};
  sim.kSweep = {0.9, 1.1, 0.1};
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);
  const std::optional<SweepPicture> sk = ReadFinishedSweep(sim);
  ASSERT_TRUE(sk.has_value());
  EXPECT_EQ(sk->startFrequency, 0.3);
  const SkSweep& grid = std::get<SkSweep>(sk->results);
  ASSERT_EQ(grid.columns.size(), 4U);
  EXPECT_DOUBLE_EQ(grid.columns[3].s, 0.2);
  ASSERT_EQ(grid.RowValues().size(), 3U);
  EXPECT_DOUBLE_EQ(grid.RowValues()[2], 1.1);
  for (const SkSweepColumn& column : grid.columns) {
    ASSERT_EQ(column.results.size(), 3U);
    for (const double result : column.results) {
      EXPECT_GE(result, 0.0);
      EXPECT_LE(result, 1.0);
    }
  }

  testing::SelectOption(sim, 3);
  testing::TypeInto(sim, 18, "1");
  testing::TypeInto(sim, 19, "2");
  testing::TypeInto(sim, 8, "4");
  sim.seed = 3;
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);
  const std::optional<SweepPicture> log10N = ReadFinishedSweep(sim);
  ASSERT_TRUE(log10N.has_value());
  const auto& points = std::get<Log10NSweep>(log10N->results).points;
  ASSERT_EQ(points.size(), 3U);
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].log10N, 1.0F + 0.5F * static_cast<float>(i));
    EXPECT_EQ(points[i].runs, 4);
    EXPECT_GE(points[i].mean, 0.0);
    EXPECT_LE(points[i].mean, 1.0);
    EXPECT_GE(points[i].standardDeviation, 0.0);
  }
}

}  // namespace
}  // namespace recmod
