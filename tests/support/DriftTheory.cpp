#include "support/DriftTheory.hpp"

#include <array>
#include <cmath>
#include <cstddef>

namespace recmod::testing {

namespace {

// At most four counts: two rounded values, each of which may round up.
struct Outcomes {
  std::array<CountOutcome, 4> item{};
  int size = 0;
  void Add(double count, double probability) {
    if (probability > 0.0) item[static_cast<std::size_t>(size++)] = {count, probability};
  }
};

// One side of the draw: the value v becomes floor(v) or floor(v) + 1, the
// latter with chance frac(v).
void AddRounding(Outcomes& outcomes, double v, double weight) {
  const double whole = std::floor(v);
  const double fraction = v - whole;
  outcomes.Add(whole, weight * (1.0 - fraction));
  outcomes.Add(whole + 1.0, weight * fraction);
}

Outcomes CountsOfDraw(double N, double x) {
  Outcomes outcomes;
  const double m = x * N;
  if (m > 1.0) {
    const double sd = std::sqrt(m * (1.0 - x));
    AddRounding(outcomes, m - sd, 0.5);
    AddRounding(outcomes, m + sd, 0.5);
  } else {
    outcomes.Add(0.0, 1.0 - m);
    outcomes.Add(1.0, m);
  }
  return outcomes;
}

}  // namespace

std::vector<double> BinomialProbabilities(int n, double p) {
  std::vector<double> probabilities(static_cast<std::size_t>(n) + 1, 0.0);
  if (p <= 0.0) {
    probabilities.front() = 1.0;
    return probabilities;
  }
  if (p >= 1.0) {
    probabilities.back() = 1.0;
    return probabilities;
  }
  const double logP = std::log(p);
  const double logQ = std::log1p(-p);
  const double logNFactorial = std::lgamma(n + 1.0);
  for (int k = 0; k <= n; ++k) {
    probabilities[static_cast<std::size_t>(k)] =
        std::exp(logNFactorial - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) + k * logP +
                 (n - k) * logQ);
  }
  return probabilities;
}

std::vector<CountOutcome> DrawCountOutcomes(double N, double x) {
  const Outcomes outcomes = CountsOfDraw(N, x);
  return {outcomes.item.begin(), outcomes.item.begin() + outcomes.size};
}

double MeanCount(const std::vector<CountOutcome>& outcomes) {
  double mean = 0.0;
  for (const CountOutcome& o : outcomes) mean += o.count * o.probability;
  return mean;
}

double CountVariance(const std::vector<CountOutcome>& outcomes) {
  const double mean = MeanCount(outcomes);
  double variance = 0.0;
  for (const CountOutcome& o : outcomes)
    variance += (o.count - mean) * (o.count - mean) * o.probability;
  return variance;
}

double WrightFisherFixedBy(int N, double s, double p0, int generations) {
  if (generations <= 0) return p0 >= 1.0 ? 1.0 : 0.0;
  const auto size = static_cast<std::size_t>(N) + 1;
  // Row k: the counts that the sampling after a generation that left k
  // mutants (and then selected them) can give.
  std::vector<std::vector<double>> transition(size);
  for (int k = 0; k <= N; ++k) {
    const double x = static_cast<double>(k) / N;
    const double selected = x * (1.0 + s) / (1.0 + s * x);
    transition[static_cast<std::size_t>(k)] = BinomialProbabilities(N, selected);
  }
  std::vector<double> counts = BinomialProbabilities(N, p0);
  for (int g = 2; g <= generations; ++g) {
    std::vector<double> next(size, 0.0);
    for (std::size_t k = 0; k < size; ++k) {
      if (counts[k] == 0.0) continue;
      for (std::size_t j = 0; j < size; ++j) next[j] += counts[k] * transition[k][j];
    }
    counts.swap(next);
  }
  return counts.back();
}

double KimuraFixation(double N, double s, double p) {
  if (s == 0.0) return p;
  return -std::expm1(-2.0 * N * s * p) / -std::expm1(-2.0 * N * s);
}

double EntryDrawExpectedChange(double N, double p) {
  const Outcomes plus = CountsOfDraw(N, p);
  const Outcomes minus = CountsOfDraw(N, 1.0 - p);
  double mean = 0.0;
  for (int i = 0; i < plus.size; ++i) {
    for (int j = 0; j < minus.size; ++j) {
      const CountOutcome a = plus.item[static_cast<std::size_t>(i)];
      const CountOutcome b = minus.item[static_cast<std::size_t>(j)];
      mean += a.probability * b.probability * a.count / (a.count + b.count);
    }
  }
  return mean - p;
}

double EntryDrawFixedBy(double N, double p0, int generations) {
  // State: the two counts (a of R+, total d) of the last generation, the R+
  // frequency being a / d. Counts never exceed N + sqrt(N) + 1 each.
  const int largest = 2 * static_cast<int>(std::ceil(N + std::sqrt(N) + 2.0));
  const auto side = static_cast<std::size_t>(largest) + 1;
  std::vector<double> states(side * side, 0.0);
  double fixed = 0.0;
  auto step = [&](double p, double weight, std::vector<double>& into) {
    const Outcomes plus = CountsOfDraw(N, p);
    const Outcomes minus = CountsOfDraw(N, 1.0 - p);
    for (int i = 0; i < plus.size; ++i) {
      for (int j = 0; j < minus.size; ++j) {
        const CountOutcome a = plus.item[static_cast<std::size_t>(i)];
        const CountOutcome b = minus.item[static_cast<std::size_t>(j)];
        const double w = weight * a.probability * b.probability;
        if (b.count == 0.0) {
          fixed += w;
        } else if (a.count > 0.0) {
          const auto ai = static_cast<std::size_t>(a.count);
          const auto di = static_cast<std::size_t>(a.count + b.count);
          into[di * side + ai] += w;
        }
      }
    }
  };
  if (generations <= 0) return 0.0;
  step(p0, 1.0, states);
  std::vector<double> next(side * side, 0.0);
  for (int g = 2; g <= generations; ++g) {
    std::fill(next.begin(), next.end(), 0.0);
    for (std::size_t d = 1; d < side; ++d) {
      for (std::size_t a = 1; a < d; ++a) {
        const double weight = states[d * side + a];
        if (weight != 0.0) step(static_cast<double>(a) / static_cast<double>(d), weight, next);
      }
    }
    states.swap(next);
  }
  return fixed;
}

}  // namespace recmod::testing
