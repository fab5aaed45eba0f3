// The fixation of the modifier obeys the theory of a Wright-Fisher
// population: without selection R+ fixes with the probability of its start
// frequency, whatever the population size, and every run ends absorbed long
// after the expected time to absorption. With selection, a large population
// drifts about the infinite population's path without bias: the mean final
// frequency of a favoured and of a disfavoured modifier is the infinite
// population's within its standard error.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "run/Engine.hpp"
#include "run/LoopExecutor.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"
#include "support/StartupControls.hpp"
#include "sweep/RunSweep.hpp"
#include "sweep/SweepSummary.hpp"

namespace recmod {
namespace {

struct NeutralCase {
  float log10N;
  double startR;
  std::int64_t replicates;
};

class NeutralModifier : public ::testing::TestWithParam<NeutralCase> {};

TEST_P(NeutralModifier, FixesWithTheProbabilityOfItsStartFrequency) {
  const NeutralCase& c = GetParam();
  RunInputs inputs = testing::InputsOf(testing::StartupControlValues());
  // No selection and no mutation: R+ and R- differ only in how they
  // recombine, which changes nothing without fitness differences.
  inputs.params.S = 0.0;
  inputs.params.u = 0.0;
  inputs.params.w = 0.0;
  inputs.params.Log10N = c.log10N;
  inputs.params.MaxGen = 2000;
  inputs.start.R = c.startR;
  inputs.switches.GeneticDrift = true;
  inputs.switches.ExactSampling = true;
  Sweep sweep;
  sweep.axes = {{FindParameter("R"), {c.startR}}};
  sweep.replicates = c.replicates;
  sweep.finitePopulation = true;
  sweep.seed = 77;
  Engine master;
  PrepareEngine(master, 2, inputs);
  PointSummary summary;
  SweepObserver observer;
  observer.consume = [&](std::int64_t, const RunEnd& end) { summary.Add(end); };
  SequentialLoopExecutor executor;
  RunSweep(sweep, master, inputs, RunMode{.SingleRun = true}, executor, observer);

  const double n = static_cast<double>(summary.count());
  const double standardError = std::sqrt(c.startR * (1.0 - c.startR) / n);
  EXPECT_NEAR(summary.fixed().value, c.startR, 3.0 * standardError);
  EXPECT_DOUBLE_EQ(summary.fixed().value + summary.lost().value, 1.0)
      << "2000 generations absorb every run of so small a population";
  // The mean final frequency is the share fixed: every run ends at 0 or 1.
  EXPECT_NEAR(summary.mean(), summary.fixed().value, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NeutralModifier,
                         ::testing::Values(NeutralCase{1.0F, 0.3, 4000},
                                           NeutralCase{1.5F, 0.5, 3000},
                                           NeutralCase{2.0F, 0.2, 2000}),
                         [](const auto& param) { return "case" + std::to_string(param.index); });

// Every run of a sweep over K from the start-up values with S = 0.1 and both
// loci at 0.5, in a finite population of 10^log10N or, with replicates 1 and
// no drift, an infinite one.
std::vector<PointSummary> OverK(const std::vector<double>& ks, bool finite, float log10N,
                                std::int64_t replicates) {
  RunInputs inputs = testing::InputsOf(testing::StartupControlValues());
  inputs.params.S = 0.1;
  inputs.params.Log10N = log10N;
  inputs.start.alleles[0] = 0.5;
  inputs.start.alleles[1] = 0.5;
  inputs.switches.GeneticDrift = finite;
  inputs.switches.ExactSampling = finite;
  Sweep sweep;
  sweep.axes = {{FindParameter("K"), ks}};
  sweep.replicates = replicates;
  sweep.finitePopulation = finite;
  sweep.seed = 91;
  Engine master;
  PrepareEngine(master, 2, inputs);
  std::vector<PointSummary> points(ks.size());
  SweepObserver observer;
  observer.consume = [&](std::int64_t run, const RunEnd& end) {
    points[static_cast<std::size_t>(sweep.PointOf(run))].Add(end);
  };
  SequentialLoopExecutor executor;
  RunSweep(sweep, master, inputs, RunMode{.SingleRun = true, .InfinitePopulation = !finite},
           executor, observer);
  return points;
}

TEST(SelectedModifier, DriftsWithoutBiasAboutTheInfinitePopulationsPath) {
  const std::vector<double> ks = {0.6, 1.4};  // R+ favoured, then disfavoured
  const std::vector<PointSummary> infinite = OverK(ks, false, 6.0F, 1);
  const std::vector<PointSummary> finite = OverK(ks, true, 4.0F, 400);
  ASSERT_GT(infinite[0].mean(), 0.55);
  ASSERT_LT(infinite[1].mean(), 0.49);
  for (std::size_t k = 0; k < ks.size(); ++k) {
    EXPECT_NEAR(finite[k].mean(), infinite[k].mean(), 3.0 * finite[k].standardError())
        << "K = " << ks[k];
    EXPECT_GT(std::abs(finite[k].mean() - 0.5), 3.0 * finite[k].standardError())
        << "the effect stands out of the drift at K = " << ks[k];
  }
}

}  // namespace
}  // namespace recmod
