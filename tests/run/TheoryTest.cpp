// Whole starts, typed into the window and run with "Start simulation",
// compared with what population-genetic theory says they must give. Every
// tolerance is either four standard errors of the compared statistic or a
// bound on rounding that the comment beside it derives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/PopulationState.hpp"
#include "numbers/DecimalParse.hpp"
#include "run/Engine.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowSession.hpp"

namespace recmod {
namespace {

using testing::ReportLines;
using testing::SplitTabs;
using testing::TempDirectory;
using testing::WindowSession;

// The numbers of a generation line of "ReportFile1.txt" (which ends with a
// TAB, so the last split field is empty).
std::vector<double> LineValues(const std::string& line) {
  std::vector<std::string> fields = SplitTabs(line);
  EXPECT_EQ(fields.back(), "") << line;
  fields.pop_back();
  std::vector<double> values;
  for (const std::string& field : fields) values.push_back(ParseDecimal(field));
  return values;
}

std::vector<std::vector<double>> GenerationLines(const TempDirectory& dir) {
  const std::vector<std::string> lines = ReportLines(dir.path() / "ReportFile1.txt");
  std::vector<std::vector<double>> values;
  for (std::size_t i = 1; i < lines.size(); ++i) values.push_back(LineValues(lines[i]));
  return values;
}

std::string ToText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

struct NeutralCase {
  int loci;
  const char* u;
  const char* z;
  const char* demes;
};

TEST(Theory, WithoutEpistasisFromLinkageEquilibriumTheModifierIsNeutral) {
  // With multiplicative fitnesses (K = 1) selection keeps linkage equilibrium,
  // mutation (per locus) keeps it, and a class in equilibrium does not move
  // under recombination. Both classes start with the same haplotype
  // proportions and so keep them: selection cannot tell R+ from R-, and R+
  // stays at 0.3 but for rounding. (The mutation tables depart from
  // independent loci by terms of order u w with two loci and u^2, w^2 with
  // three, which build linkage disequilibrium in the class that does not
  // recombine; they are kept negligible with w = 1E-10, and u = 1E-10 for
  // three loci.)
  // Rounding bound: about a hundred operations of relative error 2^-53 per
  // generation touch the R+ share, so 1000 generations stay within
  // 1000 x 100 x 1.1E-16 = 1.1E-11 even if every error pushed the same way.
  const double bound = 1.1e-11;
  const NeutralCase cases[] = {{2, "1E-05", "0", "1"},
                               {2, "1E-05", "0.5", "1"},
                               {3, "1E-10", "0", "1"},
                               {3, "1E-10", "1", "4"}};
  for (const NeutralCase& c : cases) {
    TempDirectory dir;
    WindowSession window(dir.path(), 0, c.loci);
    window.Type(0, c.u);
    window.Type(1, "1E-10");
    window.Type(2, "0.1");
    window.Type(3, "1");
    window.Type(4, "0.7");
    window.Type(5, "0.4");
    if (c.loci == 3) window.Type(6, "0.6");
    window.Type(20, "0.3");
    window.Type(7, c.z);
    window.Type(10, c.demes);
    window.Type(17, "1000");
    ASSERT_EQ(window.Start(), StartOutcome::Finished);

    const auto lines = GenerationLines(dir);
    ASSERT_EQ(lines.size(), 1000U);
    const std::size_t sexField = c.loci == 2 ? 3 : 7;
    double largest = 0.0;
    for (const auto& values : lines)
      largest = std::fmax(largest, std::fabs(values[sexField] - 0.3));
    EXPECT_LE(largest, bound) << c.loci << " loci, z = " << c.z << ", demes " << c.demes;
    RecordProperty(std::string("LargestDeviation") + std::to_string(c.loci) + "Loci" + c.z,
                   ToText(largest));
    // The alleles did move: A and B swept, "ab" of R+ is at least halved.
    EXPECT_LT(lines.back()[0], 0.5 * lines.front()[0]) << "the population hardly changed";
  }
}

TEST(Theory, HaploidMutationSelectionBalance) {
  // Per locus, selection turns a mutant frequency q into
  // q_s = q (1 + S) / (1 + S q) (linkage equilibrium, K = 1), and mutation,
  // which moves u of every reference allele and w of every mutant one, gives
  // q' = q_s (1 - w) + u (1 - q_s). The report records q' after mutation, so
  // the equilibrium solves S q^2 + (u + w - S + S w) q - u = 0. Its root in
  // (0, 1) for S = -0.05, u = 1E-4, w = 1E-10 is 0.0019999999961923848; the
  // first-order value u/|S| = 0.002 lies 3.8E-12 above it (the frequency
  // after selection, before mutation, is u (1 + S) / |S| = 0.0019).
  const double S = -0.05;
  const double u = 1e-4;
  const double w = 1e-10;
  const double B = u + w - S + S * w;
  // The root (-B + sqrt(B^2 + 4 S u)) / (2 S), written without cancellation.
  const double equilibrium = 2.0 * u / (B + std::sqrt(B * B + 4.0 * S * u));
  ASSERT_NEAR(equilibrium, 0.0019999999961923848, 1e-17);
  // The recursion contracts by (1 + S)(1 - u - w) / (1 + S q)^2 = 0.95 per
  // generation: from q = 0, 2000 generations leave 0.002 x 0.95^2000 (below
  // 1E-47) of the start, and rounding of at most 1E-15 per generation stays
  // below 1E-15 / (1 - 0.95) = 2E-14. The report writes 15 significant
  // digits of sums up to 1, so an allele frequency taken from it as four
  // differences of them is good to 4E-15.
  const double tolerance = 1e-13;

  TempDirectory dir;
  WindowSession window(dir.path(), 0, 2);
  window.Type(0, "1E-4");
  window.Type(1, "1E-10");
  window.Type(2, "-0.05");
  window.Type(3, "1");
  window.Type(17, "2000");
  ASSERT_EQ(window.Start(), StartOutcome::Finished);

  // Mutant alleles A (haplotypes Ab, AB) and B (aB, AB) in both classes.
  const PopulationState& population = window.sim.engine.population;
  const double A = population.Freq(0, 1, 2) + population.Freq(0, 1, 4) + population.Freq(1, 1, 2) +
                   population.Freq(1, 1, 4);
  const double Bfreq = population.Freq(0, 1, 3) + population.Freq(0, 1, 4) +
                       population.Freq(1, 1, 3) + population.Freq(1, 1, 4);
  EXPECT_NEAR(A, equilibrium, tolerance);
  RecordProperty("DistanceFromEquilibrium", ToText(std::fabs(A - equilibrium)));
  EXPECT_NEAR(Bfreq, equilibrium, tolerance);
  // And it is not the first-order value: the test tells them apart.
  EXPECT_GT(std::fabs(A - u / -S), tolerance);

  const auto lines = GenerationLines(dir);
  ASSERT_EQ(lines.size(), 2000U);
  const auto& f = lines.back();  // cumulative: ab, +Ab, +aB, +AB, +ab', ...
  const double reportedA = (f[1] - f[0]) + (f[3] - f[2]) + (f[5] - f[4]) + (f[7] - f[6]);
  EXPECT_NEAR(reportedA, equilibrium, tolerance);
}

TEST(Theory, AVeryLargePopulationBehavesAsAnInfiniteOne) {
  // N = 1E20: every draw moves a frequency by about sqrt(x / N) <= 1E-10, so
  // a run differs from the deterministic one by far less than 1E-6 in every
  // field of every generation line, under either sampling scheme.
  struct Setting {
    int loci;
    bool exact;
  };
  const Setting settings[] = {{2, false}, {2, true}, {3, false}, {3, true}};
  for (const Setting& s : settings) {
    auto run = [&](int mode) {
      TempDirectory dir;
      WindowSession window(dir.path(), mode, s.loci);
      window.TickExactSampling(s.exact);
      if (s.loci == 3) window.Type(6, "0.9");
      window.Type(7, "0.3");
      window.Type(10, "3");
      if (mode == 1) {
        window.Type(9, "20");
        EXPECT_TRUE(window.sim.controls.Ticked(CheckBox::GeneticDrift));
      }
      window.sim.seed = 2024;
      EXPECT_EQ(window.Start(), StartOutcome::Finished);
      return GenerationLines(dir);
    };
    const auto infinite = run(0);
    const auto large = run(1);
    ASSERT_EQ(infinite.size(), 250U);
    ASSERT_EQ(large.size(), infinite.size());
    double largest = 0.0;
    for (std::size_t g = 0; g < infinite.size(); ++g) {
      ASSERT_EQ(large[g].size(), infinite[g].size());
      for (std::size_t k = 0; k < infinite[g].size(); ++k) {
        largest = std::fmax(largest, std::fabs(large[g][k] - infinite[g][k]));
      }
    }
    EXPECT_LE(largest, 1e-6) << s.loci << " loci, exact sampling " << s.exact;
    RecordProperty(std::string("LargestDifference") + std::to_string(s.loci) + "Loci" +
                       (s.exact ? "Exact" : "Draw"),
                   ToText(largest));
    // The run did draw: it is not the deterministic one bit for bit.
    EXPECT_GT(largest, 0.0) << s.loci << " loci, exact sampling " << s.exact;
  }
}

TEST(Theory, ANeutralModifierUnderDriftKeepsItsMeanFrequency) {
  // S = 0 and the least mutation: R+ is a martingale under the default draw
  // at one half (the draw treats the two classes alike), so over n runs the
  // mean final R+ is 0.5 within 4 SD / sqrt(n), SD being the runs' own
  // standard deviation as "ReportFile3.txt" gives it.
  TempDirectory dir;
  WindowSession window(dir.path(), 3, 2);
  window.Type(0, "1E-10");
  window.Type(1, "1E-10");
  window.Type(2, "0");
  window.Type(20, "0.5");
  window.Type(18, "2");
  window.Type(19, "2");
  window.Type(8, "400");
  window.Type(17, "600");
  window.sim.seed = 17;
  ASSERT_EQ(window.Start(), StartOutcome::Finished);

  const std::vector<std::string> report3 = ReportLines(dir.path() / "ReportFile3.txt");
  ASSERT_EQ(report3.size(), 2U);
  const std::vector<std::string> fields = SplitTabs(report3[1]);
  ASSERT_EQ(fields.size(), 3U);
  const double mean = ParseDecimal(fields[1]);
  const double sd = ParseDecimal(fields[2]);
  const double n = 400.0;
  EXPECT_NEAR(mean, 0.5, 4.0 * sd / std::sqrt(n)) << "SD " << sd;
  RecordProperty("NeutralMeanFinalSexFrequency", fields[1]);

  // Most runs are over: R+ fixed or lost.
  const std::vector<std::string> report2 = ReportLines(dir.path() / "ReportFile2.txt");
  ASSERT_EQ(report2.size(), 402U);
  int absorbed = 0;
  for (std::size_t i = 1; i <= 400; ++i) {
    const double r = ParseDecimal(report2[i]);
    absorbed += r < 1e-9 || r > 1.0 - 1e-9;
  }
  EXPECT_GE(absorbed, 0.9 * n);
}

}  // namespace
}  // namespace recmod
