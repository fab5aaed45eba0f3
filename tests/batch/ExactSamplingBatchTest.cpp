// recmod-batch --sampling: the option as a user gives it, the report files
// it leaves, and neutral drift under exact sampling against Wright-Fisher.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/DriftTheory.hpp"
#include "support/NumberFormatCheck.hpp"
#include "support/ProgramRun.hpp"
#include "support/ReportLines.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReportLines;
using recmod::testing::RunBatchIn;
using recmod::testing::SplitTabs;
using recmod::testing::TempDirectory;

const std::vector<std::string> kNeutral = {"--S", "0",     "--u", "1E-10",
                                           "--w", "1E-10", "--R", "0.3"};

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(BatchSampling, OnlyDrawAndExactAreSchemesAndHelpNamesThem) {
  TempDirectory dir;
  const ProgramOutcome help = RunBatchIn(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--sampling"), std::string::npos);
  EXPECT_NE(help.out.find("draw|exact"), std::string::npos);

  for (const char* bad : {"multinomial", "Exact", ""}) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), {"--sampling", bad});
    EXPECT_EQ(outcome.status, 2) << bad;
    EXPECT_NE(outcome.err.find("--sampling"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.path() / "ReportFile1.txt")) << bad;
  }
  const ProgramOutcome draw = RunBatchIn(dir.path(), {"--sampling", "draw", "--quiet"});
  EXPECT_EQ(draw.status, 0) << draw.err;
}

TEST(BatchSampling, ASingleRunKeepsItsReportFormatAndDriftsInWholeIndividuals) {
  // With S = 0 only drift changes the R+ share. Exact sampling draws it as a
  // count out of N = 100, so every generation's R+ field is a multiple of
  // 1/100; the default draw divides by the sum of two counts and is not.
  auto run = [&](const char* sampling) {
    TempDirectory dir;
    const ProgramOutcome outcome = RunBatchIn(
        dir.path(), With(kNeutral, {"--mode", "single-finite", "--log10n", "2", "--maxgen", "200",
                                    "--seed", "5", "--quiet", "--sampling", sampling}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return ReportLines(dir.path() / "ReportFile1.txt");
  };
  const std::vector<std::string> exact = run("exact");
  const std::vector<std::string> draw = run("draw");
  ASSERT_EQ(exact.size(), 201U);
  ASSERT_EQ(draw.size(), 201U);
  EXPECT_EQ(exact[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  EXPECT_EQ(exact[0], draw[0]);
  int wholeInExact = 0;
  int wholeInDraw = 0;
  for (std::size_t g = 1; g <= 200; ++g) {
    for (const auto* lines : {&exact, &draw}) {
      const std::vector<std::string> fields = SplitTabs((*lines)[g]);
      ASSERT_EQ(fields.size(), 9U) << (*lines)[g];
      EXPECT_EQ(fields[8], "");
      double previous = 0.0;
      for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_TRUE(recmod::testing::IsNumberText(fields[k]));
        const double value = std::strtod(fields[k].c_str(), nullptr);
        EXPECT_GE(value, previous - 1e-15) << "cumulative fields fall in " << (*lines)[g];
        previous = value;
      }
      EXPECT_NEAR(previous, 1.0, 1e-12);
    }
    auto isWhole = [](const std::string& line) {
      const double sex = std::strtod(SplitTabs(line)[3].c_str(), nullptr) * 100.0;
      return std::fabs(sex - std::round(sex)) < 1e-9;
    };
    wholeInExact += isWhole(exact[g]);
    wholeInDraw += isWhole(draw[g]);
  }
  EXPECT_EQ(wholeInExact, 200);
  EXPECT_LT(wholeInDraw, 200);
}

TEST(BatchSampling, ExactSamplingFixesANeutralModifierFromPointThreeInThirtyPerCent) {
  // Exact sampling is Wright-Fisher drift of N = 100: R+ is a martingale, so
  // the mean final R+ of the runs is 0.3 (within 4 SD / sqrt(n), SD from
  // "ReportFile3.txt"), and the share of runs that fixed R+ within 600
  // generations is the chain's 0.2985 (0.3 in the long run) within four
  // binomial standard errors.
  const int runs = 2000;
  const int generations = 600;
  TempDirectory dir;
  const ProgramOutcome outcome = RunBatchIn(
      dir.path(),
      With(kNeutral, {"--mode", "loop-log10n", "--log10n-from", "2", "--log10n-to", "2",
                      "--iterations", std::to_string(runs), "--maxgen", std::to_string(generations),
                      "--seed", "7", "--quiet", "--sampling", "exact"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;

  const std::vector<std::string> report2 = ReportLines(dir.path() / "ReportFile2.txt");
  const std::vector<std::string> report3 = ReportLines(dir.path() / "ReportFile3.txt");
  ASSERT_EQ(report2.size(), static_cast<std::size_t>(runs) + 2);
  EXPECT_EQ(report2.front(), "N = 2");
  EXPECT_EQ(report2.back(), " ");
  int fixed = 0;
  for (int i = 1; i <= runs; ++i) {
    const std::string& line = report2[static_cast<std::size_t>(i)];
    ASSERT_TRUE(recmod::testing::IsNumberText(line));
    fixed += std::strtod(line.c_str(), nullptr) > 1.0 - 1e-6;
  }
  ASSERT_EQ(report3.size(), 2U);
  EXPECT_EQ(report3[0], "N\tMean\tS.D.");
  const std::vector<std::string> statistics = SplitTabs(report3[1]);
  ASSERT_EQ(statistics.size(), 3U);
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[0], 7));
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[1]));
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[2]));
  const double mean = std::strtod(statistics[1].c_str(), nullptr);
  const double sd = std::strtod(statistics[2].c_str(), nullptr);
  EXPECT_NEAR(mean, 0.3, 4.0 * sd / std::sqrt(runs));

  const double chain = recmod::testing::WrightFisherFixedBy(100, 0.0, 0.3, generations);
  const double share = static_cast<double>(fixed) / runs;
  RecordProperty("FixedShare", std::to_string(share));
  RecordProperty("WrightFisherChain", std::to_string(chain));
  EXPECT_NEAR(share, chain, 4.0 * std::sqrt(chain * (1.0 - chain) / runs));
}

}  // namespace
