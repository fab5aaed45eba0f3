#pragma once

#include <vector>

// Exact expectations of the random processes of a finite population, computed
// from their rules alone (no engine code), for the statistical tests to
// compare the simulator's draws and runs with.
namespace recmod::testing {

// P(K = k) for k = 0..n, K binomial with n trials and success probability p.
std::vector<double> BinomialProbabilities(int n, double p);

// One outcome of a draw's whole-number count.
struct CountOutcome {
  double count;
  double probability;
};

// The distribution of the count that the draw of a frequency x (0 <= x <= 1)
// in a population of N makes: with m = N x above 1, m moves one binomial
// standard deviation sqrt(m (1 - x)) down or up with chance 1/2 each and is
// then rounded up with a chance equal to its fractional part; at or below one
// individual the count is 1 with chance m, else 0.
std::vector<CountOutcome> DrawCountOutcomes(double N, double x);

// Mean and variance of a distribution of counts.
double MeanCount(const std::vector<CountOutcome>& outcomes);
double CountVariance(const std::vector<CountOutcome>& outcomes);

// A haploid Wright-Fisher population of N individuals in which every
// generation first samples N individuals (binomially) and then selects, the
// mutant having fitness 1 + s: the probability that the mutant is fixed after
// `generations` generations when it starts (before the first sampling) at
// frequency p0. Exact, by carrying the distribution of the count forward.
double WrightFisherFixedBy(int N, double s, double p0, int generations);

// Kimura's diffusion approximation of the fixation probability of a mutant at
// frequency p in a haploid population of N with selection coefficient s:
// (1 - exp(-2 N s p)) / (1 - exp(-2 N s)); p itself when s = 0.
double KimuraFixation(double N, double s, double p);

// Two classes (R+ at p, R- at 1 - p) drifting under the entry-by-entry draw:
// each class's count is drawn by DrawCountOutcomes on its own, and the
// class's new frequency is its count over the sum of both counts. The
// probability that R+ is fixed after `generations` generations, exact over
// the rational states that the counts can reach.
double EntryDrawFixedBy(double N, double p0, int generations);

// The expected change of R+ in one such generation from p.
double EntryDrawExpectedChange(double N, double p);

}  // namespace recmod::testing
