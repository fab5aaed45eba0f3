// Statistical properties of the random draws of a finite population, against
// the values that their rules imply: the spread of the entry-by-entry draw,
// the binomial draws and multinomial drift of exact sampling, and the bias of
// one generation of drift under each scheme. Every tolerance is four standard
// errors of the statistic compared, computed from the exact moments.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <thread>
#include <vector>

#include "model/BinomialDraw.hpp"
#include "model/GeneticDrift.hpp"
#include "model/ModelParameters.hpp"
#include "model/MultinomialSampling.hpp"
#include "model/RandomDraw.hpp"
#include "support/DriftTheory.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::CountOutcome;

// Running sums of a sample: its mean and (n - 1)-divisor variance.
struct Sample {
  void Add(double v) {
    ++n;
    const double delta = v - mean;
    mean += delta / static_cast<double>(n);
    squares += delta * (v - mean);
  }
  double Variance() const { return squares / static_cast<double>(n - 1); }
  double StandardErrorOfMean() const { return std::sqrt(Variance() / static_cast<double>(n)); }
  long long n = 0;
  double mean = 0.0;
  double squares = 0.0;
};

// The standard error of the (n - 1)-divisor variance of n values drawn from a
// distribution with variance `variance` and fourth central moment `mu4`:
// Var(s^2) = (mu4 - (n - 3) / (n - 1) variance^2) / n.
double StandardErrorOfVariance(double variance, double mu4, long long count) {
  const auto n = static_cast<double>(count);
  return std::sqrt((mu4 - (n - 3.0) / (n - 1.0) * variance * variance) / n);
}

// The fourth central moment of Binomial(n, p): n p q (1 + 3 (n - 2) p q).
double BinomialFourthMoment(double n, double p) {
  const double pq = p * (1.0 - p);
  return n * pq * (1.0 + 3.0 * (n - 2.0) * pq);
}

double FourthCentralMoment(const std::vector<CountOutcome>& outcomes) {
  const double mean = testing::MeanCount(outcomes);
  double mu4 = 0.0;
  for (const CountOutcome& o : outcomes) mu4 += std::pow(o.count - mean, 4) * o.probability;
  return mu4;
}

RandomDraw FinitePopulation(double n, std::uint64_t seed) {
  RandomDraw draw;
  draw.InfinitePopulation = false;
  draw.PopulationSize = n;
  draw.generator.Seed(seed);
  return draw;
}

TEST(DrawSpread, TheCountVarianceIsWhatTheRuleImplies) {
  // With m = N x > 1 the count is floor(m - sd) or floor(m + sd), each with
  // chance 1/2 and sd^2 = m (1 - x), then one more with the chance of the
  // fractional part f. Given the branch the count is a whole number plus a
  // Bernoulli(f), so by the law of total variance
  //   Var = sd^2 + (f-(1 - f-) + f+(1 - f+)) / 2,
  // the binomial variance m (1 - x) plus the rounding's. At or below one
  // individual the count is Bernoulli(m): Var = m (1 - m).
  struct Case {
    double N;
    double x;
  };
  const Case cases[] = {
      {100.0, 0.005}, {100.0, 0.015}, {100.0, 0.25}, {std::pow(10.0, 1.5), 0.3}, {1e6, 0.3}};
  const long long draws = 100000;
  for (const Case& c : cases) {
    const double m = c.N * c.x;
    double variance = m * (1.0 - m);
    if (m > 1.0) {
      const double sd = std::sqrt(m * (1.0 - c.x));
      const double low = (m - sd) - std::floor(m - sd);
      const double high = (m + sd) - std::floor(m + sd);
      variance = sd * sd + (low * (1.0 - low) + high * (1.0 - high)) / 2.0;
    }
    const std::vector<CountOutcome> outcomes = testing::DrawCountOutcomes(c.N, c.x);
    const double mu4 = FourthCentralMoment(outcomes);

    RandomDraw draw = FinitePopulation(c.N, 20240612);
    Sample counts;
    for (long long i = 0; i < draws; ++i) {
      const double count = DrawFrequency(draw, c.x) * c.N;
      bool possible = false;
      for (const CountOutcome& o : outcomes) {
        possible = possible || std::fabs(count - o.count) <= 1e-9 * std::fmax(1.0, o.count);
      }
      ASSERT_TRUE(possible) << "N = " << c.N << ", x = " << c.x << ": count " << count;
      counts.Add(count);
    }
    EXPECT_NEAR(counts.mean, m, 4.0 * std::sqrt(variance / draws))
        << "N = " << c.N << ", x = " << c.x;
    EXPECT_NEAR(counts.Variance(), variance, 4.0 * StandardErrorOfVariance(variance, mu4, draws))
        << "N = " << c.N << ", x = " << c.x;
  }
}

TEST(ExactSamplingDraws, BinomialCountsHaveTheBinomialMeanAndVariance) {
  struct Case {
    double n;
    double p;
  };
  // Exact up to 2^32 trials, by waiting time (few of the rarer outcome) and
  // by rejection around the mode, with success or failure the rarer outcome;
  // beyond, Poisson for a rarer outcome of mean up to 1E6 (also when it is
  // the failure) and normal above.
  const Case cases[] = {{100.0, 0.3},        {7.0, 0.999}, {1000.0, 0.004}, {50.0, 0.9},
                        {1e4, 0.5},          {1e9, 1e-7},  {1e15, 1e-12},   {1e20, 4e-18},
                        {1e15, 1.0 - 1e-12}, {1e15, 0.3},  {1e20, 0.3}};
  const long long draws = 20000;
  RandomDraw draw = FinitePopulation(100.0, 5);
  for (const Case& c : cases) {
    // The run checks the floating-point flags after every step.
    std::feclearexcept(FE_ALL_EXCEPT);
    const double q = 1.0 - c.p;
    const double variance = c.n * c.p * q;
    const double mu4 = BinomialFourthMoment(c.n, c.p);
    Sample counts;
    for (long long i = 0; i < draws; ++i) {
      const double k = DrawBinomial(draw, c.n, c.p);
      ASSERT_TRUE(k >= 0.0 && k <= c.n && k == std::floor(k)) << "n = " << c.n << ": " << k;
      counts.Add(k);
    }
    EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW)) << "n = " << c.n;
    EXPECT_NEAR(counts.mean, c.n * c.p, 4.0 * std::sqrt(variance / draws)) << "n = " << c.n;
    EXPECT_NEAR(counts.Variance(), variance, 4.0 * StandardErrorOfVariance(variance, mu4, draws))
        << "n = " << c.n << ", p = " << c.p;
  }
  EXPECT_EQ(DrawBinomial(draw, 50.0, 0.0), 0.0);
  EXPECT_EQ(DrawBinomial(draw, 50.0, 1.0), 50.0);
}

class MultinomialDrift : public ::testing::Test {
 protected:
  void SetUp() override {
    params.Demes = 1;
    draw = FinitePopulation(100.0, 77);
    draw.ExactSampling = true;
  }
  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  RandomDraw draw;
};

TEST_F(MultinomialDrift, EveryEntryIsBinomialAndTheDemeHoldsNIndividuals) {
  // One multinomial sample of N = 100: entry i is Binomial(N, f_i), the R+
  // class Binomial(N, its share), and the counts add up to N exactly.
  BuildHaplotypeTables(2, tables);
  const std::vector<double> start = {0.1, 0.05, 0.0, 0.15, 0.3, 0.2, 0.15, 0.05};
  const double N = 100.0;
  std::vector<Sample> entries(start.size());
  Sample sexShare;
  const long long repeats = 20000;
  for (long long r = 0; r < repeats; ++r) {
    for (std::size_t i = 0; i < start.size(); ++i)
      population.Freq(static_cast<int>(i / 4), 1, static_cast<int>(1 + i % 4)) = start[i];
    ApplyGeneticDrift(params, tables, population, draw);
    double individuals = 0.0;
    double sex = 0.0;
    for (std::size_t i = 0; i < start.size(); ++i) {
      const double count =
          population.Freq(static_cast<int>(i / 4), 1, static_cast<int>(1 + i % 4)) * N;
      ASSERT_NEAR(count, std::round(count), 1e-9);
      entries[i].Add(count);
      individuals += std::round(count);
      if (i < 4) sex += count / N;
    }
    ASSERT_EQ(individuals, N);
    sexShare.Add(sex);
  }
  for (std::size_t i = 0; i < start.size(); ++i) {
    const double p = start[i];
    const double variance = N * p * (1.0 - p);
    if (p == 0.0) {
      EXPECT_EQ(entries[i].mean, 0.0);
      EXPECT_EQ(entries[i].Variance(), 0.0);
      continue;
    }
    const double mu4 = BinomialFourthMoment(N, p);
    EXPECT_NEAR(entries[i].mean, N * p, 4.0 * std::sqrt(variance / repeats)) << "entry " << i;
    EXPECT_NEAR(entries[i].Variance(), variance,
                4.0 * StandardErrorOfVariance(variance, mu4, repeats))
        << "entry " << i;
  }
  const double p = 0.3;
  const double shareVariance = p * (1.0 - p) / N;
  const double shareMu4 = BinomialFourthMoment(N, p) / (N * N * N * N);
  EXPECT_NEAR(sexShare.mean, p, 4.0 * std::sqrt(shareVariance / repeats));
  EXPECT_NEAR(sexShare.Variance(), shareVariance,
              4.0 * StandardErrorOfVariance(shareVariance, shareMu4, repeats));
}

TEST_F(MultinomialDrift, ThreeLociInSeveralDemesSampleARoundedNFromEachDemesOwnShares) {
  // N = 10^1.5 = 31.6 individuals become 32 whole ones; a deme whose entries
  // do not add up to 1 is sampled in proportion to them all the same.
  BuildHaplotypeTables(3, tables);
  params.Demes = 3;
  draw.PopulationSize = std::pow(10.0, 1.5);
  const double N = 32.0;
  const long long repeats = 10000;
  std::vector<Sample> firstEntry(4);
  for (long long r = 0; r < repeats; ++r) {
    for (int d = 1; d <= 3; ++d) {
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= 8; ++h) population.Freq(c, d, h) = 1.0 / 16.0;
      }
      population.Freq(0, d, 1) = 0.25 * d;  // shares of 0.25 / 1.1875 and so on
    }
    ApplyMultinomialDrift(params, tables, population, draw);
    for (int d = 1; d <= 3; ++d) {
      ASSERT_TRUE(testing::DemeNormalised(population, tables, d));
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= 8; ++h) {
          const double count = population.Freq(c, d, h) * N;
          ASSERT_NEAR(count, std::round(count), 1e-9) << "deme " << d;
        }
      }
      firstEntry[static_cast<std::size_t>(d)].Add(population.Freq(0, d, 1));
    }
  }
  for (int d = 1; d <= 3; ++d) {
    const double p = 0.25 * d / (0.25 * d + 15.0 / 16.0);
    EXPECT_NEAR(firstEntry[static_cast<std::size_t>(d)].mean, p,
                4.0 * std::sqrt(p * (1.0 - p) / N / repeats))
        << "deme " << d;
  }
}

// The mean change of R+ over many single generations of drift from `p`, with
// the whole class on "ab" and the whole R- class on "ab'".
Sample OneGenerationChanges(bool exact, double p, long long repeats) {
  HaplotypeTables tables;
  BuildHaplotypeTables(2, tables);
  ModelParameters params;
  params.Demes = 1;
  PopulationState population;
  RandomDraw draw = FinitePopulation(100.0, exact ? 31 : 37);
  draw.ExactSampling = exact;
  Sample changes;
  for (long long r = 0; r < repeats; ++r) {
    population.ClearFreq();
    population.Freq(0, 1, 1) = p;
    population.Freq(1, 1, 1) = 1.0 - p;
    ApplyGeneticDrift(params, tables, population, draw);
    changes.Add(population.Freq(0, 1, 1) - p);
  }
  return changes;
}

// The remembered log-factorials are the C library's own, also when counts
// that share a place in the cache take turns, and on a thread of its own.
TEST(ExactSamplingDraws, LogFactorialsAreTheCLibrarysValuesWhateverWasAskedBefore) {
  const double sharing = 32768.0;  // counts this far apart share a place
  const std::vector<double> counts = {1.0,           2.0,       3.0 + sharing, 3.0,
                                      3.0 + sharing, 1e6 + 1.0, 4294967297.0,  1e6 + 1.0 + sharing};
  auto allEqual = [&] {
    bool equal = true;
    for (const double k : counts) equal = equal && LogGammaOfWhole(k) == std::lgamma(k);
    return equal;
  };
  for (int round = 0; round < 2; ++round) EXPECT_TRUE(allEqual());
  bool onThread = false;
  std::thread([&] { onThread = allEqual(); }).join();
  EXPECT_TRUE(onThread);
}

TEST(DriftBias, TheEntryDrawIsBiasedAgainstTheRarerClassAndExactSamplingIsNot) {
  // The entry-by-entry draw counts each class on its own and divides by the
  // sum of both counts, so E[k+ / (k+ + k-)] differs from p. The exact value
  // follows from the at most 4 x 4 outcomes of the two draws; about
  // p q (2p - 1) / N (-8.4E-4 at p = 0.3, N = 100).
  const long long repeats = 100000;
  const double bias = testing::EntryDrawExpectedChange(100.0, 0.3);
  const Sample draw = OneGenerationChanges(false, 0.3, repeats);
  const Sample exact = OneGenerationChanges(true, 0.3, repeats);
  RecordProperty("EntryDrawBiasAt0.3", std::to_string(bias));
  // The repeats are enough to tell the schemes apart.
  ASSERT_GT(std::fabs(bias), 4.0 * draw.StandardErrorOfMean());
  EXPECT_NEAR(draw.mean, bias, 4.0 * draw.StandardErrorOfMean());
  EXPECT_NEAR(exact.mean, 0.0, 4.0 * exact.StandardErrorOfMean());
  // Exact sampling: the R+ share is Binomial(N, p) / N.
  const double variance = 0.3 * 0.7 / 100.0;
  const double mu4 = BinomialFourthMoment(100.0, 0.3) / 1e8;
  EXPECT_NEAR(exact.Variance(), variance, 4.0 * StandardErrorOfVariance(variance, mu4, repeats));

  // At one half the two classes are alike and the bias cancels.
  EXPECT_EQ(testing::EntryDrawExpectedChange(100.0, 0.5), 0.0);
  const Sample half = OneGenerationChanges(false, 0.5, repeats);
  EXPECT_NEAR(half.mean, 0.0, 4.0 * half.StandardErrorOfMean());
}

}  // namespace
}  // namespace recmod
