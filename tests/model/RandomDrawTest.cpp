#include "model/RandomDraw.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::AdvancedBy;

RandomDraw FinitePopulation(double n) {
  RandomDraw draw;
  draw.InfinitePopulation = false;
  draw.PopulationSize = n;
  return draw;
}

// One draw with the pair of uniforms forced to (u1, u2).
double DrawWith(double n, double x, double u1, double u2) {
  RandomDraw draw = FinitePopulation(n);
  draw.DrawUniform1 = u1;
  draw.DrawUniform2 = u2;
  draw.ReuseUniforms = true;
  return DrawFrequency(draw, x);
}

TEST(RandomDraw, InfinitePopulationReturnsTheArgumentAndTakesNoUniform) {
  RandomDraw draw;
  draw.InfinitePopulation = true;
  const UniformGenerator before = draw.generator;
  EXPECT_EQ(DrawFrequency(draw, 0.3), 0.3);
  EXPECT_EQ(DrawFrequency(draw, -0.02), -0.02);
  EXPECT_EQ(DrawFrequency(draw, 1.5), 1.5);
  EXPECT_TRUE(AdvancedBy(before, draw.generator, 0));
  EXPECT_EQ(draw.DrawUniform1, 0.0);
  EXPECT_EQ(draw.DrawUniform2, 0.0);
}

TEST(RandomDraw, EveryFiniteDrawTakesTwoFreshUniformsUnlessThePairIsReused) {
  RandomDraw draw = FinitePopulation(100.0);
  UniformGenerator before = draw.generator;
  EXPECT_EQ(DrawFrequency(draw, 0.0), 0.0);
  EXPECT_TRUE(AdvancedBy(before, draw.generator, 2));

  // The pair kept is the two numbers just taken, in order.
  UniformGenerator replay = before;
  EXPECT_EQ(draw.DrawUniform1, replay.NextUniform());
  EXPECT_EQ(draw.DrawUniform2, replay.NextUniform());

  // Above 1 there is no randomness, yet the pair is still taken.
  before = draw.generator;
  EXPECT_EQ(DrawFrequency(draw, 1.5), 1.5 * 100.0 / 100.0);
  EXPECT_TRUE(AdvancedBy(before, draw.generator, 2));

  // With the switch on, the last pair serves again and the stream stands still.
  const double first = DrawFrequency(draw, 0.2);
  before = draw.generator;
  draw.ReuseUniforms = true;
  EXPECT_EQ(DrawFrequency(draw, 0.2), first);
  EXPECT_TRUE(AdvancedBy(before, draw.generator, 0));
  EXPECT_TRUE(draw.ReuseUniforms) << "the draw never clears the switch itself";
}

TEST(RandomDraw, WorkedBranchesForOneHundredIndividuals) {
  // At or below one expected individual: one individual with chance N x.
  EXPECT_EQ(DrawWith(100, 0.005, 0.9, 0.49), 0.01);
  EXPECT_EQ(DrawWith(100, 0.005, 0.1, 0.5), 0.0);
  // Exactly one expected individual: the deviation is skipped and U2 < 1 holds
  // always.
  for (double u1 : {0.0, 0.2, 0.99}) {
    for (double u2 : {0.0, 0.5, 0.9999999}) EXPECT_EQ(DrawWith(100, 0.01, u1, u2), 0.01);
  }

  // 25 expected, sd = 4.330127...: lowered to 20.669873, raised to 29.330127.
  const double sd = std::sqrt(25.0 * 0.75);
  const double lowFraction = (25.0 - sd) - 20.0;
  const double highFraction = (25.0 + sd) - 29.0;
  EXPECT_NEAR(lowFraction, 0.669872981, 1e-9);
  EXPECT_NEAR(highFraction, 0.330127019, 1e-9);
  EXPECT_EQ(DrawWith(100, 0.25, 0.49, lowFraction - 1e-9), 0.21);
  EXPECT_EQ(DrawWith(100, 0.25, 0.49, lowFraction + 1e-9), 0.2);
  EXPECT_EQ(DrawWith(100, 0.25, 0.5, highFraction - 1e-9), 0.3);
  EXPECT_EQ(DrawWith(100, 0.25, 0.5, highFraction + 1e-9), 0.29);

  // More than the whole population (y > 1, so also m > 1): that case is
  // tested first and takes no chance, whatever the uniforms.
  for (double u1 : {0.0, 0.49, 0.5, 0.99}) {
    for (double u2 : {0.0, 0.5, 0.9999999}) {
      EXPECT_EQ(DrawWith(100, 1.5, u1, u2), 1.5);
      EXPECT_EQ(DrawWith(100, -1.25, u1, u2), -1.25);
    }
  }

  // A negative change is the mirror image of the positive one.
  for (double u1 : {0.2, 0.7}) {
    for (double u2 : {0.1, 0.5, 0.9}) {
      EXPECT_EQ(DrawWith(100, -0.25, u1, u2), -DrawWith(100, 0.25, u1, u2));
    }
  }
}

TEST(RandomDraw, WholePopulationFrequencyDrawsTheFractionalIndividual) {
  // x = 1 has no deviation; N = 10^2.5 = 316.23 gives 316/N or 317/N, the
  // latter with chance N - 316.
  const double n = std::pow(10.0, 2.5);
  const double fraction = n - std::floor(n);
  EXPECT_EQ(DrawWith(n, 1.0, 0.3, fraction - 1e-9), 317.0 / n);
  EXPECT_EQ(DrawWith(n, 1.0, 0.8, fraction + 1e-9), 316.0 / n);
  // With a whole N the result is exactly 1 whatever the uniforms.
  EXPECT_EQ(DrawWith(100, 1.0, 0.3, 0.0), 1.0);
  EXPECT_EQ(DrawWith(100, 1.0, 0.7, 0.999), 1.0);
}

TEST(RandomDraw, ResultsAreWholeNumbersOfIndividuals) {
  RandomDraw draw = FinitePopulation(1000.0);
  for (int i = 0; i < 2000; ++i) {
    const double x = (i % 200) / 199.0;
    const double count = DrawFrequency(draw, x) * 1000.0;
    ASSERT_NEAR(count, std::round(count), 1e-9) << "x = " << x;
    ASSERT_GE(count, 0.0);
  }
}

struct MeanCase {
  double n;
  double x;
};

// Sample mean and its standard error over `draws` draws.
void SampleMean(RandomDraw& draw, double x, int draws, double& mean, double& standardError) {
  double sum = 0.0;
  double sumSquares = 0.0;
  for (int i = 0; i < draws; ++i) {
    const double r = DrawFrequency(draw, x);
    sum += r;
    sumSquares += r * r;
  }
  mean = sum / draws;
  const double variance = (sumSquares - draws * mean * mean) / (draws - 1);
  standardError = std::sqrt(std::max(variance, 0.0) / draws);
}

TEST(RandomDraw, MeanOfManyDrawsIsTheExpectedFrequency) {
  // Small (N x below one individual), medium and large expected counts, whole
  // and fractional N, and a negative change.
  const std::vector<MeanCase> cases = {{100.0, 0.003},
                                       {std::pow(10.0, 1.5), 0.02},
                                       {1000.0, 0.05},
                                       {1000.0, 0.5},
                                       {std::pow(10.0, 6.5), 0.3},
                                       {1e8, 0.0001},
                                       {100.0, 0.97},
                                       {1000.0, -0.05}};
  RandomDraw draw = FinitePopulation(1.0);
  draw.generator.Seed(20240611);
  for (const MeanCase& c : cases) {
    draw.PopulationSize = c.n;
    double mean = 0.0;
    double se = 0.0;
    SampleMean(draw, c.x, 40000, mean, se);
    ASSERT_GT(se, 0.0) << "N = " << c.n << ", x = " << c.x;
    EXPECT_LT(std::fabs(mean - c.x), 4.0 * se)
        << "N = " << c.n << ", x = " << c.x << ", mean " << mean << ", SE " << se;
  }
}

TEST(RandomDraw, FourOutcomesOfTwentyFiveExpectedIndividualsHaveTheirChances) {
  // Each outcome is a branch (down or up) times a rounding (down or up).
  const double sd = std::sqrt(25.0 * 0.75);
  const double low = (25.0 - sd) - 20.0;
  const double high = (25.0 + sd) - 29.0;
  const std::vector<double> values = {0.2, 0.21, 0.29, 0.3};
  const std::vector<double> chances = {0.5 * (1 - low), 0.5 * low, 0.5 * (1 - high), 0.5 * high};
  RandomDraw draw = FinitePopulation(100.0);
  draw.generator.Seed(7);
  const int draws = 40000;
  std::vector<int> seen(4, 0);
  for (int i = 0; i < draws; ++i) {
    const double r = DrawFrequency(draw, 0.25);
    bool matched = false;
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (r == values[k]) ++seen[k], matched = true;
    }
    ASSERT_TRUE(matched) << "unexpected result " << r;
  }
  for (std::size_t k = 0; k < values.size(); ++k) {
    const double expected = chances[k] * draws;
    const double sigma = std::sqrt(draws * chances[k] * (1 - chances[k]));
    EXPECT_NEAR(seen[k], expected, 4.0 * sigma) << "outcome " << values[k];
  }
}

TEST(UniformGenerator, NumbersLieInTheHalfOpenUnitIntervalAndAreUniform) {
  UniformGenerator generator;
  const int draws = 100000;
  std::vector<int> bins(10, 0);
  double sum = 0.0;
  for (int i = 0; i < draws; ++i) {
    const double u = generator.NextUniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    ++bins[static_cast<std::size_t>(u * 10)];
  }
  // Mean 1/2 with SE sqrt(1/12 / draws); every tenth holds 1/10 of the draws.
  EXPECT_NEAR(sum / draws, 0.5, 4.0 * std::sqrt(1.0 / 12.0 / draws));
  for (int count : bins) EXPECT_NEAR(count, draws / 10, 4.0 * std::sqrt(draws * 0.09));
}

TEST(UniformGenerator, FixedInitialStateAndDistinctSeeds) {
  UniformGenerator a;
  UniformGenerator b;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.NextUniform(), b.NextUniform());

  UniformGenerator c;
  UniformGenerator d;
  c.Seed(42, 0);
  d.Seed(42, 1);
  EXPECT_NE(c.NextUniform(), d.NextUniform());
  UniformGenerator e;
  e.Seed(42, 0);
  UniformGenerator f;
  f.Seed(42, 0);
  EXPECT_EQ(e.NextUniform(), f.NextUniform());
}

TEST(RandomDraw, EveryReseedStartsADistinctStream) {
  // Reseeds within one tick of the clock must not repeat a stream.
  RandomDraw draw;
  std::set<double> firstNumbers;
  for (int i = 0; i < 500; ++i) {
    ReseedGenerator(draw);
    firstNumbers.insert(NextUniform(draw));
  }
  EXPECT_EQ(firstNumbers.size(), 500u);
  // Two draw states reseeded back to back differ as well.
  RandomDraw other;
  RandomDraw another;
  ReseedGenerator(other);
  ReseedGenerator(another);
  EXPECT_NE(NextUniform(other), NextUniform(another));
}

}  // namespace
}  // namespace recmod
