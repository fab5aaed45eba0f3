#include "model/MultinomialSampling.hpp"

#include <cmath>
#include <cstdint>
#include <random>

#include "model/Normalisation.hpp"

namespace recmod {

double WholePopulationSize(double populationSize) {
  return std::nearbyint(populationSize);
}

double DrawBinomial(RandomDraw& draw, double n, double p) {
  if (n <= 0.0 || p <= 0.0) return 0.0;
  if (p >= 1.0) return n;
  constexpr double kExactLimit = 4611686018427387904.0;  // 2^62
  if (n <= kExactLimit) {
    std::binomial_distribution<std::int64_t> binomial(static_cast<std::int64_t>(n), p);
    return static_cast<double>(binomial(draw.generator));
  }
  std::normal_distribution<double> normal(n * p, std::sqrt(n * p * (1.0 - p)));
  const double k = std::nearbyint(normal(draw.generator));
  return std::fmin(std::fmax(k, 0.0), n);
}

void ApplyMultinomialDrift(const ModelParameters& params, const HaplotypeTables& tables,
                           PopulationState& population, RandomDraw& draw) {
  const int count = tables.HaplotypeCount;
  const double N = WholePopulationSize(draw.PopulationSize);
  if (!(N >= 1.0)) throw RuntimeError(ErrorKind::InvalidOperation, "population size below 1");
  for (int d = 1; d <= params.Demes; ++d) {
    // The deme is normalised on entry. The chain of binomials gives each entry
    // its share of what the entries before it left; the last positive entry
    // takes all the individuals that remain.
    int lastPositive = 0;
    for (int i = 0; i < 2 * count; ++i) {
      if (population.Freq(i / count, d, 1 + i % count) > 0.0) lastPositive = i;
    }
    double remainingIndividuals = N;
    double remainingShare = 1.0;
    for (int i = 0; i < 2 * count; ++i) {
      double& f = population.Freq(i / count, d, 1 + i % count);
      const double share = f;
      double k = 0.0;
      if (remainingIndividuals > 0.0 && share > 0.0) {
        const double p = i == lastPositive ? 1.0 : std::fmin(1.0, share / remainingShare);
        k = DrawBinomial(draw, remainingIndividuals, p);
      }
      remainingIndividuals -= k;
      remainingShare = std::fmax(remainingShare - share, 0.0);
      f = k / N;
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
