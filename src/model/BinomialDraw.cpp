#include "model/BinomialDraw.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace recmod {

namespace {

// lgamma of whole numbers, kept per thread: the rejection method takes the
// log-factorials of counts near the mode, which moves little from one
// generation to the next, so most are asked for again and again. A slot
// holds the last argument that fell on it; its value is lgamma's own.
class LogGammaOfWholeCache {
 public:
  double At(double k) {
    const auto index = static_cast<std::size_t>(k) & (kSlots - 1);
    Slot& slot = slots_[index];
    if (slot.argument != k) slot = {k, std::lgamma(k)};
    return slot.value;
  }

 private:
  static constexpr std::size_t kSlots = std::size_t{1} << 15;
  struct Slot {
    double argument = -1.0;  // no whole number from 1 on
    double value = 0.0;
  };
  std::array<Slot, kSlots> slots_{};
};

}  // namespace

double LogGammaOfWhole(double k) {
  static thread_local LogGammaOfWholeCache cache;
  return cache.At(k);
}

BinomialShape ShapeOfBinomial(double trials, double p) {
  // Every member is set (clearing the whole shape first costs a string
  // instruction slower than the rest of a short shape).
  BinomialShape shape;
  SetBinomialShape(shape, trials, p);
  return shape;
}

void SetBinomialShape(BinomialShape& shape, double trials, double p) {
  const double t = trials;
  shape.trials = t;
  shape.rarer = p <= 0.5 ? p : 1.0 - p;
  shape.flipped = shape.rarer != p;
  const double p12 = shape.rarer;
  shape.rejection = t * p12 >= kBinomialRejectionFrom;
  if (!shape.rejection) {
    shape.waitingLimit = -std::log(1 - p12);
    shape.mode = shape.d1 = shape.d2 = shape.s1 = shape.s2 = 0.0;
    shape.s1Squared = shape.s2Squared = shape.c = shape.a1 = shape.a12 = 0.0;
    shape.a123 = shape.total = shape.logFactorials = shape.logOdds = 0.0;
    return;
  }
  // The operations below are written in the order they are evaluated; each
  // constant is the same number in the lane engine, which takes them from here.
  const double np = std::floor(t * p12);
  const double pa = np / t;
  const double onep = 1 - pa;
  const double d1x = std::sqrt(np * onep * std::log(32 * np / (81 * kBinomialQuarterPi * onep)));
  shape.d1 = std::round(std::max<double>(1.0, d1x));
  const double d2x = std::sqrt(np * onep * std::log(32 * t * onep / (kBinomialQuarterPi * pa)));
  shape.d2 = std::round(std::max<double>(1.0, d2x));
  shape.s1 = std::sqrt(np * onep) * (1 + shape.d1 / (4 * np));
  shape.s2 = std::sqrt(np * onep) * (1 + shape.d2 / (4 * t * onep));
  shape.c = 2 * shape.d1 / np;
  shape.a1 = std::exp(shape.c) * shape.s1 * kBinomialRootHalfPi;
  shape.a12 = shape.a1 + shape.s2 * kBinomialRootHalfPi;
  const double s1s = shape.s1 * shape.s1;
  shape.a123 = shape.a12 + (std::exp(shape.d1 / (t * onep)) * 2 * s1s / shape.d1 *
                            std::exp(-shape.d1 * shape.d1 / (2 * s1s)));
  const double s2s = shape.s2 * shape.s2;
  shape.total = (shape.a123 + 2 * s2s / shape.d2 * std::exp(-shape.d2 * shape.d2 / (2 * s2s)));
  shape.s1Squared = s1s;
  shape.s2Squared = s2s;
  shape.mode = np;
  shape.logFactorials = LogGammaOfWhole(np + 1) + LogGammaOfWhole(t - np + 1);
  shape.logOdds = std::log(pa / onep);
  shape.waitingLimit = -std::log(1 - (p12 - pa) / onep);
}

namespace {

double NextCanonical(UniformGenerator& generator) {
  return CanonicalUniform(generator());
}

double NextExponential(UniformGenerator& generator) {
  return -std::log(1.0 - NextCanonical(generator));
}

// A standard normal number by the polar method, which makes two at a time:
// the second waits in `saved` for the next call of the same draw.
double NextNormal(UniformGenerator& generator, double& saved, bool& savedAvailable) {
  if (savedAvailable) {
    savedAvailable = false;
    return saved;
  }
  double x = 0.0;
  double y = 0.0;
  double r2 = 0.0;
  do {
    x = 2.0 * NextCanonical(generator) - 1.0;
    y = 2.0 * NextCanonical(generator) - 1.0;
    r2 = x * x + y * y;
  } while (r2 > 1.0 || r2 == 0.0);
  const double mult = std::sqrt(-2 * std::log(r2) / r2);
  saved = x * mult;
  savedAvailable = true;
  return y * mult;
}

// The waiting-time method: successes until the sum of exponential spacings,
// each divided by the trials still left, exceeds `limit`.
double WaitForSuccesses(UniformGenerator& generator, double trials, double limit) {
  double x = 0.0;
  double sum = 0.0;
  do {
    if (trials == x) return x;
    const double e = NextExponential(generator);
    sum += e / (trials - x);
    x += 1;
  } while (sum <= limit);
  return x - 1;
}

}  // namespace

double DrawBinomialCount(UniformGenerator& generator, const BinomialShape& shape) {
  const double t = shape.trials;
  double count = 0.0;
  if (shape.rejection) {
    const double np = shape.mode;
    double saved = 0.0;
    bool savedAvailable = false;
    double x = 0.0;
    bool reject = false;
    do {
      const double u = shape.total * NextCanonical(generator);
      double v = 0.0;
      if (u <= shape.a1) {
        const double n = NextNormal(generator, saved, savedAvailable);
        const double y = shape.s1 * std::abs(n);
        reject = y >= shape.d1;
        if (!reject) {
          const double e = NextExponential(generator);
          x = std::floor(y);
          v = -e - n * n / 2 + shape.c;
        }
      } else if (u <= shape.a12) {
        const double n = NextNormal(generator, saved, savedAvailable);
        const double y = shape.s2 * std::abs(n);
        reject = y >= shape.d2;
        if (!reject) {
          const double e = NextExponential(generator);
          x = std::floor(-y);
          v = -e - n * n / 2;
        }
      } else if (u <= shape.a123) {
        const double e1 = NextExponential(generator);
        const double e2 = NextExponential(generator);
        const double y = shape.d1 + 2 * shape.s1Squared * e1 / shape.d1;
        x = std::floor(y);
        v = (-e2 + shape.d1 * (1 / (t - np) - y / (2 * shape.s1Squared)));
        reject = false;
      } else {
        const double e1 = NextExponential(generator);
        const double e2 = NextExponential(generator);
        const double y = shape.d2 + 2 * shape.s2Squared * e1 / shape.d2;
        x = std::floor(-y);
        v = -e2 - shape.d2 * y / (2 * shape.s2Squared);
        reject = false;
      }
      reject = reject || x < -np || x > t - np;
      if (!reject) {
        const double lfx = LogGammaOfWhole(np + x + 1) + LogGammaOfWhole(t - (np + x) + 1);
        reject = v > shape.logFactorials - lfx + x * shape.logOdds;
      }
      reject |= x + np >= kBinomialCountCeiling;
    } while (reject);
    x += np + kBinomialNearlyHalf;
    const double whole = std::trunc(x);
    count = whole + WaitForSuccesses(generator, t - whole, shape.waitingLimit);
  } else {
    count = WaitForSuccesses(generator, t, shape.waitingLimit);
  }
  return shape.flipped ? t - count : count;
}

}  // namespace recmod
