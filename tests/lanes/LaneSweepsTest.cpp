// recmod-batch on every SIMD path the processor has, at one and two threads:
// whole sweeps give the report files of the scalar engine on one thread byte
// for byte, and a sweep in which one run fails ends with the same exit
// status, message and lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lanes/LanePath.hpp"
#include "support/FailingSweep.hpp"
#include "support/ProgramRun.hpp"

namespace recmod {
namespace {

using testing::ProgramOutcome;

// Full length in a normal build; a tenth under the sanitizers.
constexpr const char* kLongMaxGen = RECMOD_TEST_SANITIZED ? "17=100" : "17=1000";

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

std::string Joined(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += argument + " ";
  return text;
}

// recmod-batch with RECMOD_SIMD=`path`.
ProgramOutcome RunOnPath(const char* path, const std::vector<std::string>& arguments) {
  ::setenv("RECMOD_SIMD", path, 1);
  ProgramOutcome outcome = testing::RunBatchProcess(arguments);
  ::unsetenv("RECMOD_SIMD");
  return outcome;
}

// Every path at one and two threads against the scalar engine on one thread.
void ExpectTheScalarOutcomeEverywhere(const std::vector<std::string>& start, int status) {
  const ProgramOutcome scalar = RunOnPath("scalar", With(start, {"--threads", "1"}));
  ASSERT_EQ(scalar.status, status) << scalar.err;
  ASSERT_FALSE(scalar.report2.empty());
  for (LanePath path : AvailableLanePaths()) {
    for (const char* threads : {"1", "2"}) {
      SCOPED_TRACE(std::string(LanePathName(path)) + ", " + threads + " threads");
      const ProgramOutcome lanes =
          RunOnPath(LanePathName(path), With(start, {"--threads", threads}));
      EXPECT_EQ(lanes.status, scalar.status);
      EXPECT_EQ(lanes.out, scalar.out);
      EXPECT_EQ(lanes.err, scalar.err);
      EXPECT_TRUE(lanes.report2 == scalar.report2) << "ReportFile2.txt differs";
      EXPECT_TRUE(lanes.report3 == scalar.report3) << "ReportFile3.txt differs";
    }
  }
}

TEST(LaneSweeps, WholeSweepsGiveTheScalarBytesOnEveryPath) {
  const std::vector<std::vector<std::string>> starts = {
      {"--mode", "2", "--txt", kLongMaxGen},
      {"--mode", "2", "--loci", "3", "--c", "0.5", "--txt", kLongMaxGen},
      // Drift in three demes, seeded per run.
      {"--mode", "3", "--demes", "3", "--diffusion", "0.2", "--tick", "GeneticDrift",
       "--log10n-from", "1", "--log10n-to", "3", "--iterations", "7", "--maxgen", "200", "--seed",
       "5"},
      // Exact sampling: runs that fix or lose classes beside runs in large
      // populations, two and three loci.
      {"--mode", "3", "--sampling", "exact", "--demes", "2", "--diffusion", "0.1", "--log10n-from",
       "0.5", "--log10n-to", "6", "--iterations", "5", "--maxgen", "300", "--seed", "9"},
      {"--mode", "3", "--sampling", "exact", "--loci", "3", "--z", "0.2", "--log10n-from", "1",
       "--log10n-to", "4", "--iterations", "9", "--maxgen", "200", "--seed", "10"},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(Joined(start));
    ExpectTheScalarOutcomeEverywhere(With(start, {"--quiet"}), 0);
  }
}

TEST(LaneSweeps, ARunThatFailsMidSweepEndsTheStartAsInTheScalarEngine) {
  const std::vector<std::vector<std::string>> starts = {
      // Only AB, whose coefficient K((1 + S)^2 - 1) falls below -1 from
      // K = 1.01 on: position 11, in the second batch of eight, empties its
      // deme in generation 1 among healthy runs.
      {"--mode", "2", "--tick", "LinkageDisequilibrium", "--ab", "0", "--Ab", "0", "--aB", "0",
       "--AB", "1", "--s-range", "-0.99:-0.9:0.03", "--k-range", "0.9:1.02:0.01", "--maxgen", "30"},
      // Drift empties the population of a few runs only, the first at
      // position 37 (in the block of Log10(N) 2.5).
      testing::kDriftEmptiesSomeRuns,
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(Joined(start));
    ExpectTheScalarOutcomeEverywhere(start, 3);
  }
}

}  // namespace
}  // namespace recmod
