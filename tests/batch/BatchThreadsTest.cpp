// recmod-batch spreading its loops over threads: the same report files for
// any --threads, a drawn seed that repeats the start, and custom sweeps of S
// and K.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/ProgramRun.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::ProgramOutcome;
using recmod::testing::RunBatchProcess;

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(BatchThreads, ReportFilesDoNotDependOnTheNumberOfThreads) {
  const std::vector<std::vector<std::string>> starts = {
      {"--mode", "2", "--maxgen", "10"},
      {"--mode", "2", "--loci", "3", "--c", "0.5", "--demes", "2", "--tick", "InversionOfS",
       "--inversion-period", "10", "--maxgen", "15", "--s-range", "0.1:0.2:0.05"},
      {"--mode", "3", "--log10n-to", "2.5", "--iterations", "5", "--maxgen", "40", "--a", "0.5",
       "--seed", "99"},
      {"--mode", "3", "--log10n-to", "2", "--iterations", "4", "--maxgen", "30", "--tick",
       "InversionOfS", "--inversion-period", "10", "--S", "0.4", "--seed", "3"},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start[1] + " " + start.back());
    const ProgramOutcome one = RunBatchProcess(With(start, {"--threads", "1", "--quiet"}));
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_FALSE(one.report2.empty());
    for (const char* threads : {"2", "3"}) {
      const ProgramOutcome many = RunBatchProcess(With(start, {"--threads", threads, "--quiet"}));
      EXPECT_EQ(many.status, 0) << many.err;
      EXPECT_EQ(many.report2, one.report2) << threads << " threads";
      EXPECT_EQ(many.report3, one.report3) << threads << " threads";
    }
    // The default, all cores, too.
    EXPECT_EQ(RunBatchProcess(With(start, {"--quiet"})).report2, one.report2);
  }
}

TEST(BatchThreads, AnErrorInTheMiddleOfAParallelLoopLeavesTheLinesOfOneThread) {
  // N = 10 and a sinusoidal S that nearly kills the only haplotype, AB: the
  // tenth run loses every individual.
  const std::vector<std::string> emptying = {"--mode",
                                             "3",
                                             "--log10n-to",
                                             "2",
                                             "--iterations",
                                             "10",
                                             "--maxgen",
                                             "40",
                                             "--a",
                                             "0",
                                             "--b",
                                             "0",
                                             "--S",
                                             "0.33",
                                             "--K",
                                             "1.4",
                                             "--tick",
                                             "InversionOfS",
                                             "--tick",
                                             "SinusoidalOption",
                                             "--inversion-period",
                                             "10",
                                             "--seed",
                                             "2"};
  const ProgramOutcome one = RunBatchProcess(With(emptying, {"--threads", "1"}));
  ASSERT_EQ(one.status, 3) << one.err;
  EXPECT_NE(one.err.find("Empty deme"), std::string::npos) << one.err;
  EXPECT_EQ(std::count(one.report2.begin(), one.report2.end(), '\n'), 10);
  for (const char* threads : {"2", "3"}) {
    const ProgramOutcome many = RunBatchProcess(With(emptying, {"--threads", threads}));
    EXPECT_EQ(many.status, 3);
    EXPECT_EQ(many.err, one.err);
    EXPECT_EQ(many.report2, one.report2);
    EXPECT_EQ(many.report3, one.report3);
  }
}

TEST(BatchThreads, ADrawnSeedIsShownAndRepeatsTheStart) {
  const std::vector<std::string> loop = {"--mode",       "3", "--log10n-to", "2",
                                         "--iterations", "6", "--maxgen",    "30"};
  const ProgramOutcome first = RunBatchProcess(loop);
  ASSERT_EQ(first.status, 0) << first.err;
  std::smatch match;
  ASSERT_TRUE(std::regex_search(first.err, match, std::regex("(^|\n)seed: ([0-9]+)\n")))
      << first.err;
  const std::string seed = match[2];
  const ProgramOutcome again = RunBatchProcess(With(loop, {"--seed", seed, "--threads", "1"}));
  EXPECT_EQ(again.report2, first.report2);
  EXPECT_EQ(again.report3, first.report3);
  EXPECT_EQ(again.err.find("seed:"), std::string::npos) << "a given seed is not shown";

  // Another start draws another seed; --quiet draws one without showing it.
  const ProgramOutcome second = RunBatchProcess(loop);
  EXPECT_NE(second.report2, first.report2);
  const ProgramOutcome quiet = RunBatchProcess(With(loop, {"--quiet"}));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  // A single finite run draws one too; one with N infinite draws nothing.
  EXPECT_EQ(RunBatchProcess({"--mode", "1", "--maxgen", "10"}).err.find("seed:"), 0U);
  EXPECT_EQ(RunBatchProcess({"--mode", "0", "--maxgen", "10"}).err.find("seed:"),
            std::string::npos);
}

TEST(BatchThreads, CustomSweepsOfSAndK) {
  // The default ranges written out give the files of the window's loop.
  const ProgramOutcome window = RunBatchProcess({"--mode", "2", "--maxgen", "10", "--quiet"});
  const ProgramOutcome defaults =
      RunBatchProcess({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range", "0.01:0.2:0.01",
                       "--k-range", "0.8:1.2:0.01"});
  EXPECT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_EQ(defaults.report2, window.report2);

  // Two values of S, three of K: blocks of a header, three runs and a blank.
  const ProgramOutcome coarse =
      RunBatchProcess({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range", "0.05:0.1:0.05",
                       "--k-range", "1:1.2:0.1"});
  ASSERT_EQ(coarse.status, 0) << coarse.err;
  std::vector<std::string> lines;
  std::istringstream text(coarse.report2);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 10U);
  EXPECT_EQ(lines[0], "K\tu= 1E-05 s= .05\r");
  EXPECT_EQ(lines[5], "K\tu= 1E-05 s= .1\r");
  for (const std::size_t block : {0U, 5U}) {
    EXPECT_EQ(lines[block + 1].substr(0, 3), " 1\t");
    EXPECT_EQ(lines[block + 2].substr(0, 5), " 1.1\t");
    EXPECT_EQ(lines[block + 3].substr(0, 5), " 1.2\t");
    EXPECT_EQ(lines[block + 4], " \r");
  }
}

TEST(BatchThreads, BadThreadsAndRangesAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"--threads", "0"},
      {"--threads", "-2"},
      {"--threads", "two"},
      {"--threads", "1.5"},
      {"--mode", "2", "--s-range", "0.1:0.2"},
      {"--mode", "2", "--s-range", "0.1:0.2:0.01:5"},
      {"--mode", "2", "--s-range", "a:0.2:0.01"},
      {"--mode", "2", "--s-range", "0.1:0.2:"},
      {"--mode", "2", "--s-range", "0.1:0.2:0"},
      {"--mode", "2", "--s-range", "0.1:0.2:-0.01"},
      {"--mode", "2", "--s-range", "0.3:0.2:0.01"},
      {"--mode", "2", "--s-range", "0:1:0.000001"},
      {"--mode", "2", "--s-range", "0.1:0.2:1e-300"},
      {"--mode", "2", "--s-range", "0.1:inf:0.1"},
      {"--mode", "2", "--s-range", "-1:0:0.1"},
      {"--mode", "2", "--s-range", "0:1.5:0.1"},
      {"--mode", "2", "--k-range", "0.5:1:0.1"},
      {"--mode", "2", "--k-range", "1:1.5:0.1"},
      {"--mode", "3", "--s-range", "0.1:0.2:0.01"},
      {"--k-range", "0.8:1.2:0.1"},
  };
  for (const auto& arguments : bad) {
    const ProgramOutcome outcome = RunBatchProcess(arguments);
    EXPECT_EQ(outcome.status, 2) << arguments.back() << ": " << outcome.err;
    EXPECT_NE(outcome.err, "") << arguments.back();
    EXPECT_EQ(outcome.report2, "") << "nothing was run";
  }
  // The extremes the fields admit are fine.
  const ProgramOutcome edges =
      RunBatchProcess({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range", "-0.99:1:1.99",
                       "--k-range", "0.6:1.4:0.8"});
  EXPECT_EQ(edges.status, 0) << edges.err;
}

}  // namespace
