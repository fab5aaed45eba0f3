// One sweep over Log10(N) split into parts started apart (jobs on a cluster)
// with the same seed: each part given the position of its first run in the
// whole gives the lines of the whole sweep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MpiRun.hpp"

namespace recmod::testing {
namespace {

std::vector<std::string> Sweep(const std::string& from, const std::string& to) {
  // The inversion of S hands S from run to run: the parts must take it over
  // as well as the seeds.
  return {"--mode",
          "3",
          "--log10n-from",
          from,
          "--log10n-to",
          to,
          "--iterations",
          "3",
          "--maxgen",
          "30",
          "--tick",
          "InversionOfS",
          "--inversion-period",
          "10",
          "--S",
          "0.3",
          "--seed",
          "17",
          "--quiet",
          "--threads",
          "1"};
}

std::vector<std::string> From(std::vector<std::string> arguments, const std::string& position) {
  arguments.push_back("--first-position");
  arguments.push_back(position);
  return arguments;
}

TEST(SplitSweep, PartsGivenTheirFirstPositionGiveTheWholeSweep) {
  const ProgramOutcome whole = RunBatchProcess(Sweep("1", "3"));
  ASSERT_EQ(whole.status, 0) << whole.err;
  // 1 and 1.5 (2 sizes x 3 runs), then 2, 2.5 and 3 from position 6.
  const ProgramOutcome first = RunBatchProcess(From(Sweep("1", "1.5"), "0"));
  const ProgramOutcome second = RunBatchProcess(From(Sweep("2", "3"), "6"));
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(first.report2 + second.report2, whole.report2);
  const std::string header = "N\tMean\tS.D.\r\n";
  ASSERT_EQ(second.report3.rfind(header, 0), 0U);
  EXPECT_EQ(first.report3 + second.report3.substr(header.size()), whole.report3);

  // Without it the second part starts its runs as a sweep of its own.
  const ProgramOutcome alone = RunBatchProcess(Sweep("2", "3"));
  EXPECT_NE(first.report2 + alone.report2, whole.report2);
}

TEST(SplitSweep, TheFirstPositionBelongsToModeThreeAndIsAWholeNumber) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--mode", "2", "--first-position", "4"},
           {"--first-position", "4"},
           {"--mode", "3", "--first-position", "-1"},
           {"--mode", "3", "--first-position", "1.5"},
           {"--mode", "3", "--first-position", "99999999999999999999"},
           {"--mode", "3", "--first-position", "1000000000000001"},
       }) {
    const ProgramOutcome outcome = RunBatchProcess(arguments);
    EXPECT_EQ(outcome.status, 2) << arguments[1] << " " << arguments.back();
    EXPECT_NE(outcome.err.find("--first-position"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.report2, "");
  }
}

}  // namespace
}  // namespace recmod::testing
