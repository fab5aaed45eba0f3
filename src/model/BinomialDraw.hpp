#pragma once

#include <cstdint>
#include <limits>

#include "model/UniformGenerator.hpp"

namespace recmod {

// The exact binomial draw of exact sampling, written out so that the lane
// engine can take the very same random numbers in the very same order, run
// by run, and arrive at the same counts to the last bit.
//
// Up to 2^32 trials a count is drawn by one of two methods, fixed by the
// shape of the distribution:
//  - few expected successes of the rarer outcome (n min(p, 1 - p) < 8): the
//    waiting-time method, one exponential spacing per success plus one;
//  - otherwise a rejection method around the mode (a normal body with two
//    exponential tails on each side, accepted against the exact
//    log-probability), then the waiting-time method for the part of the
//    mode that was rounded away.
// Every uniform number is one output of the generator divided by 2^64
// (rounded, never 1) and every exponential number -log(1 - u).

// The trials up to which the draw is exact.
inline constexpr double kBinomialExactLimit = 4294967296.0;  // 2^32
// Below this many expected successes of the rarer outcome the waiting-time
// method alone draws.
inline constexpr double kBinomialRejectionFrom = 8.0;
// pi / 4 and sqrt(pi / 2), rounded to double from extended precision.
inline constexpr double kBinomialQuarterPi =
    static_cast<double>(0.7853981633974483096156608458198757L);
inline constexpr double kBinomialRootHalfPi =
    static_cast<double>(1.2533141373155002512078826424055226L);
// Added to the accepted offset before it is truncated to a whole count.
inline constexpr double kBinomialNearlyHalf = (1 - std::numeric_limits<double>::epsilon()) / 2;
// Counts at or beyond this are rejected (never reached below 2^32 trials).
inline constexpr double kBinomialCountCeiling =
    static_cast<double>(std::numeric_limits<std::int64_t>::max()) + kBinomialNearlyHalf;
// The largest double below 1: a uniform number that rounds up to 1 becomes it.
inline constexpr double kBelowOne = 1.0 - std::numeric_limits<double>::epsilon() / 2;

// The constants of one binomial draw of `trials` trials (a whole number from
// 1 to 2^32) with success probability p (0 < p < 1).
// ShapeOfBinomial sets every member.
struct BinomialShape {
  double trials;
  double rarer;         // min(p, 1 - p): the draw counts the rarer outcome
  bool flipped;         // the rarer outcome is failure: the result is trials - count
  bool rejection;       // the rejection method draws (else the waiting time alone)
  double waitingLimit;  // the waiting-time method's bound on the sum of spacings
  // The rejection method's constants (unused by the waiting time alone):
  // the mode np, the widths d1, d2 and scales s1, s2 of the left and right
  // parts, s1^2 and s2^2, the bounds a1 < a12 < a123 < total of the four
  // parts' areas, c = 2 d1 / np, the log-factorials of the mode and
  // log(pa / (1 - pa)) with pa = np / trials.
  double mode;
  double d1;
  double d2;
  double s1;
  double s2;
  double s1Squared;
  double s2Squared;
  double c;
  double a1;
  double a12;
  double a123;
  double total;
  double logFactorials;
  double logOdds;
};

BinomialShape ShapeOfBinomial(double trials, double p);
// The same, made in `shape` (every member set).
void SetBinomialShape(BinomialShape& shape, double trials, double p);

// lgamma(k) for a whole number k >= 1: the C library's value, remembered per
// thread for the counts that come back generation after generation.
double LogGammaOfWhole(double k);

// The uniform number of one generator output, in [0, 1).
inline double CanonicalUniform(std::uint64_t output) {
  const double u = static_cast<double>(output) * 0x1.0p-64;
  return u >= 1.0 ? kBelowOne : u;
}

// One count of the binomial `shape` from `generator`.
double DrawBinomialCount(UniformGenerator& generator, const BinomialShape& shape);

}  // namespace recmod
