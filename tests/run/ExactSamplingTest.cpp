// Fixation in a population of 100 under the two sampling schemes, against
// exact values: the haploid Wright-Fisher chain and Kimura's formula for a
// beneficial mutant with exact sampling, and the chain of the entry-by-entry
// draw for a neutral modifier with the default scheme. Tolerances are four
// binomial standard errors of the share of runs counted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "numbers/DecimalParse.hpp"
#include "run/Engine.hpp"
#include "run/LoopRuns.hpp"
#include "support/DrawnRun.hpp"
#include "support/DriftTheory.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowSession.hpp"

namespace recmod {
namespace {

using testing::ReportLines;
using testing::TempDirectory;
using testing::WindowSession;

std::string ToText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

double BinomialStandardError(double p, int runs) {
  return std::sqrt(p * (1.0 - p) / runs);
}

TEST(ExactSampling, ABeneficialMutantFixesAsKimuraSays) {
  // A haploid Wright-Fisher population of N = 100 in which the mutant A has
  // fitness 1 + s, s = 0.02, and starts at p = 0.05 (a = 0.95, B absent,
  // mutation at its least). Each generation samples N individuals and then
  // selects, so E[dp] = s p (1 - p) / (1 + s p) and Var[dp] = p (1 - p) / N:
  // haploid, N copies, not the 2N of diploids. The diffusion with these
  // moments gives Kimura's u(p) = (1 - e^{-2 N s p}) / (1 - e^{-2 N s}),
  // 0.1847 here (0.05 without selection). The chain itself, carried exactly
  // over 600 generations, gives 0.1801; the formula's diffusion error and the
  // runs left unfinished are together 0.4 standard errors of 1200 runs.
  const int N = 100;
  const double s = 0.02;
  const double p0 = 0.05;
  const int generations = 600;
  const int runs = 1200;
  const double kimura = testing::KimuraFixation(N, s, p0);
  const double chain = testing::WrightFisherFixedBy(N, s, p0, generations);
  const double se = BinomialStandardError(chain, runs);
  ASSERT_LT(std::fabs(kimura - chain), se / 2.0);

  TempDirectory dir;
  WindowSession window(dir.path(), 3, 2);
  window.TickExactSampling(true);
  window.Type(0, "1E-10");
  window.Type(1, "1E-10");
  window.Type(2, "0.02");
  window.Type(3, "1");
  window.Type(4, "0.95");
  window.Type(5, "1");
  window.Type(18, "2");
  window.Type(19, "2");
  window.Type(8, "2");
  window.Type(17, std::to_string(generations));
  window.sim.seed = 99;
  // A start prepares the engine as every run of the loop has it; the runs
  // below are further runs of that loop, each from a seeded generator.
  ASSERT_EQ(window.Start(), StartOutcome::Finished);

  Engine& engine = window.sim.engine;
  engine.params.CurrentLog10N = 2.0F;
  testing::DrawnRun drawn(window.plot, window.frontEnd, window.sim.runMode);
  RunOutputs& outputs = drawn.outputs;
  int fixed = 0;
  for (int run = 0; run < runs; ++run) {
    SeedLoopRun(engine.draw, window.sim.seed, static_cast<std::uint64_t>(run));
    RunLog10NPosition(engine, window.sim.inputs, window.sim.runMode, outputs);
    const PopulationState& f = engine.population;
    const double A = f.Freq(0, 1, 2) + f.Freq(0, 1, 4) + f.Freq(1, 1, 2) + f.Freq(1, 1, 4);
    fixed += A > 1.0 - 1e-6;
  }
  const double share = static_cast<double>(fixed) / runs;
  RecordProperty("FixedShare", ToText(share));
  RecordProperty("Kimura", ToText(kimura));
  RecordProperty("WrightFisherChain", ToText(chain));
  EXPECT_NEAR(share, chain, 4.0 * se);
  EXPECT_NEAR(share, kimura, 4.0 * se);
  // Selection shows: the neutral value is far outside the band.
  EXPECT_GT(share - p0, 4.0 * se);
}

TEST(ExactSampling, TheDefaultDrawFixesANeutralModifierFromPointThreeAsItsOwnChainSays) {
  // The default draw counts R+ and R- each on its own and renormalises (see
  // DriftBias): the chain of that rule, carried exactly over 500
  // generations from R+ = 0.3 with N = 100, fixes R+ with probability 0.2457
  // (0.2575 in the long run), against 0.2959 for Wright-Fisher drift
  // (0.3 in the long run). Runs through "Start simulation" in the loop over
  // Log10(N) must agree with the draw's own chain.
  const int generations = 500;
  const int runs = 1500;
  const double chain = testing::EntryDrawFixedBy(100.0, 0.3, generations);
  const double wrightFisher = testing::WrightFisherFixedBy(100, 0.0, 0.3, generations);
  const double se = BinomialStandardError(chain, runs);

  TempDirectory dir;
  WindowSession window(dir.path(), 3, 2);
  window.Type(0, "1E-10");
  window.Type(1, "1E-10");
  window.Type(2, "0");
  window.Type(20, "0.3");
  window.Type(18, "2");
  window.Type(19, "2");
  window.Type(8, std::to_string(runs));
  window.Type(17, std::to_string(generations));
  window.sim.seed = 4242;
  ASSERT_EQ(window.Start(), StartOutcome::Finished);

  const std::vector<std::string> report2 = ReportLines(dir.path() / "ReportFile2.txt");
  ASSERT_EQ(report2.size(), static_cast<std::size_t>(runs) + 2);
  int fixed = 0;
  for (int i = 1; i <= runs; ++i)
    fixed += ParseDecimal(report2[static_cast<std::size_t>(i)]) > 1.0 - 1e-6;
  const double share = static_cast<double>(fixed) / runs;
  RecordProperty("FixedShare", ToText(share));
  RecordProperty("EntryDrawChain", ToText(chain));
  RecordProperty("WrightFisherChain", ToText(wrightFisher));
  EXPECT_NEAR(share, chain, 4.0 * se);
}

}  // namespace
}  // namespace recmod
