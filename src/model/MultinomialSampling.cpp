#include "model/MultinomialSampling.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

#include "model/BinomialDraw.hpp"
#include "model/ModelParameters.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

double WholePopulationSize(double populationSize) {
  return std::nearbyint(populationSize);
}

double DrawBinomial(RandomDraw& draw, double n, double p) {
  if (n <= 0.0 || p <= 0.0) return 0.0;
  if (p >= 1.0) return n;
  // The exact draw compares differences of log-factorials of the order of
  // n ln n; up to 2^32 trials they keep ample digits. Beyond, they lose them
  // (from about 1E17 trials the draw is biased, very slow and raises invalid
  // operations), so large populations use approximations whose error is far
  // below what a population of that size can show.
  if (n <= kBinomialExactLimit) {
    return DrawBinomialCount(draw.generator, ShapeOfBinomial(std::trunc(n), p));
  }
  // Draw the rarer outcome; its count has mean n q <= n / 2.
  const bool rarerIsFailure = p > 0.5;
  const double q = rarerIsFailure ? 1.0 - p : p;
  const double mean = n * q;
  double k = 0.0;
  if (mean <= 1e6) {
    // Poisson: its distance in total variation from the binomial is at most
    // q = mean / n <= 1E6 / 2^32, 2.3E-4.
    std::poisson_distribution<std::int64_t> poisson(mean);
    k = static_cast<double>(poisson(draw.generator));
  } else {
    // Normal: the binomial's skewness is below 1 / sqrt(n q (1 - q)) <= 1.5E-3.
    std::normal_distribution<double> normal(mean, std::sqrt(mean * (1.0 - q)));
    k = std::nearbyint(normal(draw.generator));
  }
  k = std::fmin(std::fmax(k, 0.0), n);
  return rarerIsFailure ? n - k : k;
}

void ApplyMultinomialDrift(const ModelParameters& params, const HaplotypeTables& tables,
                           PopulationState& population, RandomDraw& draw) {
  const int entries = 2 * tables.HaplotypeCount;
  const double N = WholePopulationSize(draw.PopulationSize);
  if (!(N >= 1.0)) throw RuntimeError(ErrorKind::InvalidOperation, "population size below 1");
  // Entry i of a deme is slot i / HaplotypeCount, haplotype 1 + i % HaplotypeCount.
  auto entry = [&](int d, int i) -> double& {
    return population.Freq(i / tables.HaplotypeCount, d, 1 + i % tables.HaplotypeCount);
  };
  std::array<double, 2 * 8 + 1> shareFrom{};
  for (int d = 1; d <= params.Demes; ++d) {
    // shareFrom[i]: the positive shares of entries i.. summed from the back, so
    // that each conditional probability below is a ratio of sums of the same
    // entries: no cancellation for the last small entries, and no reliance on
    // the deme summing to exactly 1.
    shareFrom[static_cast<std::size_t>(entries)] = 0.0;
    for (int i = entries - 1; i >= 0; --i) {
      shareFrom[static_cast<std::size_t>(i)] =
          shareFrom[static_cast<std::size_t>(i) + 1] + std::fmax(entry(d, i), 0.0);
    }
    // The chain of binomials: each entry takes its share of the individuals
    // that the entries before it left; the last positive entry (whose share is
    // all that remains, p = 1) takes the rest.
    double remainingIndividuals = N;
    for (int i = 0; i < entries; ++i) {
      double& f = entry(d, i);
      const double share = std::fmax(f, 0.0);
      double k = 0.0;
      if (remainingIndividuals > 0.0 && share > 0.0) {
        const double p = std::fmin(1.0, share / shareFrom[static_cast<std::size_t>(i)]);
        k = DrawBinomial(draw, remainingIndividuals, p);
      }
      remainingIndividuals -= k;
      f = k / N;
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
