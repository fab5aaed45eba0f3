#include "model/Mutation.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model/ModelParameters.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/StartupControls.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class MutationTest : public ::testing::Test {
 protected:
  void Prepare(std::int16_t loci, double u, double w) {
    BuildHaplotypeTables(loci, tables);
    params.Demes = 1;
    params.u = u;
    params.w = w;
    BuildMutationCoefficients(params, tables, coefficients, draw);
    testing::SetTick(controls, CheckBox::TotalStochasticity, true);
  }
  void Mutate() {
    ApplyMutation(params, tables, coefficients, controls.Ticked(CheckBox::TotalStochasticity),
                  population, draw);
  }

  HaplotypeTables tables;
  ModelParameters params;
  MutationCoefficients coefficients;
  ControlValues controls;
  PopulationState population;
  RandomDraw draw;  // infinite population
};

TEST_F(MutationTest, CoefficientTables) {
  const double u = 0.01;
  const double w = 0.02;
  Prepare(2, u, w);
  EXPECT_EQ(coefficients.At(1), u);
  EXPECT_EQ(coefficients.At(2), u - u * u);
  EXPECT_EQ(coefficients.At(3), u * u);
  EXPECT_EQ(coefficients.At(4), w);
  EXPECT_EQ(coefficients.At(5), w - w * w);
  EXPECT_EQ(coefficients.At(6), w * w);

  Prepare(3, u, w);
  const double expected[13] = {0,         u, u - u * u, u * u, u - u * u, u * u - u * u * u,
                               u * u * u, w, w - w * w, w * w, w - w * w, w * w - w * w * w,
                               w * w * w};
  for (int i = 1; i <= 12; ++i) EXPECT_DOUBLE_EQ(coefficients.At(i), expected[i]) << i;
  EXPECT_THROW(coefficients.At(13), RuntimeError);
}

TEST_F(MutationTest, CoefficientsSetThePopulationSizeOfTheRun) {
  params.CurrentLog10N = 6.5F;
  Prepare(2, 0.0, 0.0);
  EXPECT_NEAR(draw.PopulationSize, 3162277.66, 0.01);
  EXPECT_EQ(draw.PopulationSize, std::pow(10.0, 6.5));
}

TEST_F(MutationTest, NoMutationRatesLeaveTheTableUnchanged) {
  Prepare(3, 0.0, 0.0);
  for (int h = 1; h <= 8; ++h) population.Freq(0, 1, h) = population.Freq(1, 1, h) = 1.0 / 16;
  const PopulationState before = population;
  Mutate();
  EXPECT_EQ(population.FreqTable, before.FreqTable);
}

TEST_F(MutationTest, TwoLociOneStepFromAb) {
  const double u = 0.01;
  Prepare(2, u, 0.03);
  // The class holding only "ab" at f, the other class elsewhere.
  const double f = 0.6;
  SetSlot(population, 0, 1, {f, 0, 0, 0});
  SetSlot(population, 1, 1, {0, 0, 0, 0.4});
  Mutate();
  EXPECT_NEAR(population.Freq(0, 1, 2), f * (u - u * u), 1e-16);
  EXPECT_NEAR(population.Freq(0, 1, 3), f * (u - u * u), 1e-16);
  EXPECT_NEAR(population.Freq(0, 1, 4), f * u * u, 1e-16);
  EXPECT_NEAR(population.Freq(0, 1, 1), f * (1 - 2 * u + u * u), 1e-15);
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1, 0, 1e-15));
}

TEST_F(MutationTest, ThreeLociOneStepFromABCFollowsTheCoefficientTable) {
  const double w = 0.05;
  Prepare(3, 0.02, w);
  const double f = 0.7;
  SetSlot(population, 0, 1, {0.3, 0, 0, 0, 0, 0, 0, 0});
  SetSlot(population, 1, 1, {0, 0, 0, 0, 0, 0, 0, f});
  Mutate();
  EXPECT_NEAR(population.Freq(1, 1, 1), f * w * w * w, 1e-16);
  for (int h : {5, 6, 7}) EXPECT_NEAR(population.Freq(1, 1, h), f * (w - w * w), 1e-16) << h;
  for (int h : {2, 3, 4}) EXPECT_NEAR(population.Freq(1, 1, h), f * (w * w - w * w * w), 1e-16);
  // Three rows of w - w^2, three of w^2 - w^3 and one of w^3 leave it
  // f(1 - 3w + 2w^3), not f(1 - w)^3.
  EXPECT_NEAR(population.Freq(1, 1, 8), f * (1 - 3 * w + 2 * w * w * w), 1e-15);
  EXPECT_GT(std::fabs(population.Freq(1, 1, 8) - f * std::pow(1 - w, 3)), 1e-3);
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1, 0, 1e-15));
}

TEST_F(MutationTest, NoChangeNeedsAForwardAndABackwardMutationAtOnce) {
  Prepare(2, 0.1, 0.1);
  SetSlot(population, 0, 1, {0, 1, 0, 0});
  Mutate();
  // "Ab" goes to "AB" at u and to "ab" at w, never to "aB".
  EXPECT_EQ(population.Freq(0, 1, 3), 0.0);
  EXPECT_NEAR(population.Freq(0, 1, 4), 0.1, 1e-16);
  EXPECT_NEAR(population.Freq(0, 1, 1), 0.1, 1e-16);
  EXPECT_NEAR(population.Freq(0, 1, 2), 0.8, 1e-16);
}

TEST_F(MutationTest, TargetsAreHeldAtOneAndSourcesAtZeroBeforeTheRescaling) {
  // u = 1.5 moves 0.675 from each of "Ab" and "aB" to "AB": AB would reach
  // 1.35 and is held at 1, so the R- entry 0.1 ends as 0.1 / 1.1.
  Prepare(2, 1.5, 0.0);
  SetSlot(population, 0, 1, {0, 0.45, 0.45, 0});
  SetSlot(population, 1, 1, {0, 0, 0, 0.1});
  Mutate();
  EXPECT_NEAR(population.Freq(0, 1, 4), 1.0 / 1.1, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 4), 0.1 / 1.1, 1e-15);
  EXPECT_EQ(population.Freq(0, 1, 2), 0.0);
  EXPECT_EQ(population.Freq(0, 1, 3), 0.0);
}

TEST_F(MutationTest, SharedUniformsUnlessTotalStochasticityIsTicked) {
  Prepare(2, 0.01, 0.01);
  draw.InfinitePopulation = false;
  draw.PopulationSize = 1000.0;
  draw.generator.Seed(11);
  auto fillEqualClasses = [&] {
    SetSlot(population, 0, 1, {0.2, 0.1, 0.1, 0.1});
    SetSlot(population, 1, 1, {0.2, 0.1, 0.1, 0.1});
  };

  // Unticked: the R- draw of each row reuses the R+ pair, so two classes with
  // the same frequencies move by the same amounts, and only 10 pairs are taken.
  testing::SetTick(controls, CheckBox::TotalStochasticity, false);
  fillEqualClasses();
  UniformGenerator before = draw.generator;
  Mutate();
  EXPECT_TRUE(testing::AdvancedBy(before, draw.generator, 10 * 2));
  for (int h = 1; h <= 4; ++h) EXPECT_EQ(population.Freq(0, 1, h), population.Freq(1, 1, h));
  EXPECT_FALSE(draw.ReuseUniforms);

  // Ticked: every draw takes fresh numbers.
  testing::SetTick(controls, CheckBox::TotalStochasticity, true);
  bool anyDifferent = false;
  for (int trial = 0; trial < 20 && !anyDifferent; ++trial) {
    fillEqualClasses();
    before = draw.generator;
    Mutate();
    EXPECT_TRUE(testing::AdvancedBy(before, draw.generator, 10 * 2 * 2));
    for (int h = 1; h <= 4; ++h)
      anyDifferent = anyDifferent || population.Freq(0, 1, h) != population.Freq(1, 1, h);
  }
  EXPECT_TRUE(anyDifferent);
}

TEST_F(MutationTest, ExpectedChangeOfAFiniteStepIsTheDeterministicStep) {
  // Averaged over many finite steps from the same state, every haplotype ends
  // where the infinite step puts it, within four standard errors.
  Prepare(2, 0.02, 0.01);
  const auto start = [&] {
    population.ClearFreq();
    SetSlot(population, 0, 1, {0.3, 0.2, 0.1, 0.1});
    SetSlot(population, 1, 1, {0.1, 0.1, 0.05, 0.05});
  };
  start();
  Mutate();
  const PopulationState deterministic = population;

  draw.InfinitePopulation = false;
  draw.PopulationSize = 1e5;
  draw.generator.Seed(5);
  const int trials = 3000;
  double sum[5] = {};
  double sumSquares[5] = {};
  for (int i = 0; i < trials; ++i) {
    start();
    Mutate();
    for (int h = 1; h <= 4; ++h) {
      sum[h] += population.Freq(0, 1, h);
      sumSquares[h] += population.Freq(0, 1, h) * population.Freq(0, 1, h);
    }
  }
  for (int h = 1; h <= 4; ++h) {
    const double mean = sum[h] / trials;
    const double variance = (sumSquares[h] - trials * mean * mean) / (trials - 1);
    const double se = std::sqrt(std::max(variance, 0.0) / trials);
    // The rescaling of a finite step is a ratio, so allow a small bias too.
    EXPECT_LT(std::fabs(mean - deterministic.Freq(0, 1, h)), 4 * se + 1e-6) << h;
  }
}

}  // namespace
}  // namespace recmod
