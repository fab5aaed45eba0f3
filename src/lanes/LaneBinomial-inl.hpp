// The binomial counts of exact sampling for a vector of runs: the draw of
// model/BinomialDraw.cpp (waiting time, or rejection around the mode and
// then waiting time) with each run taking exactly the numbers, in exactly
// the order, that it takes alone. The constants of each run's draw are the
// scalar code's own (ShapeOfBinomial, per run); the loops run masked, every
// run taking its next number only while its own draw goes on, until every
// run is done. The C library's log and lgamma (of whole numbers, through the
// same cache) are called run by run, on the runs that need them, so they give
// the scalar engine's numbers; operations
// are those of the scalar code in its order, and the runs outside a mask
// compute with harmless numbers, so no floating-point flag is raised that
// the scalar draw would not raise.
//
// Included by the kernel once per SIMD path (Highway's per-target pattern).

#if defined(RECMOD_LANES_LANE_BINOMIAL_INL_HPP) == defined(HWY_TARGET_TOGGLE)
#ifdef RECMOD_LANES_LANE_BINOMIAL_INL_HPP
#undef RECMOD_LANES_LANE_BINOMIAL_INL_HPP
#else
#define RECMOD_LANES_LANE_BINOMIAL_INL_HPP
#endif

#include <hwy/highway.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "lanes/LaneUniforms-inl.hpp"
#include "lanes/LaneVectors-inl.hpp"
#include "model/BinomialDraw.hpp"

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace lanes {

inline double LogOf(double x) {
  return std::log(x);
}
inline double LogGammaOf(double x) {
  return LogGammaOfWhole(x);
}

// F(x) in the runs where `active` holds and 0 in the others.
template <double (*F)(double)>
HWY_INLINE V PerRun(V x, M active) {
  HWY_ALIGN double values[kPerVector];
  std::uint8_t bits[(kPerVector + 7) / 8] = {};
  hn::Store(x, D(), values);
  hn::StoreMaskBits(D(), active, bits);
  for (std::size_t l = 0; l < kPerVector; ++l) {
    values[l] = ((static_cast<unsigned>(bits[l / 8]) >> (l % 8)) & 1U) != 0 ? F(values[l]) : 0.0;
  }
  return hn::Load(D(), values);
}

// The binomial draws of the runs of one vector of a batch.
class LaneBinomials {
 public:
  LaneBinomials(LaneUniforms& uniforms, std::size_t part) : uniforms_(uniforms), part_(part) {}

  // DrawBinomial(trials, p) for the runs where `drawing` holds (trials a
  // whole number from 1 to 2^32, p > 0), 0 for the others.
  HWY_NOINLINE V Draw(M drawing, V trials, V p) {
    const V zero = hn::Zero(D());
    const M certain = hn::And(drawing, hn::Ge(p, hn::Set(D(), 1.0)));
    const M drawn = hn::AndNot(certain, drawing);
    V count = zero;
    if (!hn::AllFalse(D(), drawn)) {
      LoadShapes(drawn, trials, p);
      const M rejection = hn::And(drawn, rejection_);
      V whole = zero;
      if (!hn::AllFalse(D(), rejection)) {
        const V x = RejectAroundMode(rejection);
        const V offset = hn::Add(x, hn::Add(mode_, hn::Set(D(), kBinomialNearlyHalf)));
        whole = hn::IfThenElse(rejection, hn::Trunc(offset), zero);
      }
      const V waited = WaitForSuccesses(drawn, hn::Sub(trials_, whole), waitingLimit_);
      count = hn::IfThenElse(rejection, hn::Add(whole, waited), waited);
      count = hn::IfThenElse(flipped_, hn::Sub(trials_, count), count);
    }
    return hn::IfThenElse(certain, trials, hn::IfThenElse(drawn, count, zero));
  }

 private:
  // Each run's shape; runs that do not draw take that of a harmless shape,
  // and the rejection constants are loaded only when a run of the vector
  // draws by rejection (aroundTrials_ among them; the runs that draw by
  // waiting time alone take the harmless shape's). The shapes are made in
  // place and read member by member: a copy of a shape just written, or a
  // vector loaded from single stores, would wait for the stores.
  void LoadShapes(M drawn, V trials, V p) {
    static const BinomialShape harmless = ShapeOfBinomial(16.0, 0.5);
    HWY_ALIGN double t[kPerVector];
    HWY_ALIGN double probability[kPerVector];
    std::uint8_t bits[(kPerVector + 7) / 8] = {};
    std::uint8_t flipped[(kPerVector + 7) / 8] = {};
    std::uint8_t rejection[(kPerVector + 7) / 8] = {};
    hn::Store(trials, D(), t);
    hn::Store(p, D(), probability);
    hn::StoreMaskBits(D(), drawn, bits);
    BinomialShape shapes[kPerVector];
    const BinomialShape* shapeOf[kPerVector];
    const BinomialShape* aroundOf[kPerVector];
    bool anyRejection = false;
    for (std::size_t l = 0; l < kPerVector; ++l) {
      const bool draws = ((static_cast<unsigned>(bits[l / 8]) >> (l % 8)) & 1U) != 0;
      if (draws) SetBinomialShape(shapes[l], t[l], probability[l]);
      const BinomialShape* const shape = draws ? &shapes[l] : &harmless;
      shapeOf[l] = shape;
      aroundOf[l] = shape->rejection ? shape : &harmless;
      const auto bit = static_cast<std::uint8_t>(1U << (l % 8));
      if (shape->flipped) flipped[l / 8] |= bit;
      if (shape->rejection) rejection[l / 8] |= bit;
      anyRejection = anyRejection || (draws && shape->rejection);
    }
    trials_ = Member<&BinomialShape::trials>(shapeOf);
    waitingLimit_ = Member<&BinomialShape::waitingLimit>(shapeOf);
    flipped_ = hn::LoadMaskBits(D(), flipped);
    rejection_ = hn::LoadMaskBits(D(), rejection);
    if (!anyRejection) return;
    aroundTrials_ = Member<&BinomialShape::trials>(aroundOf);
    mode_ = Member<&BinomialShape::mode>(aroundOf);
    d1_ = Member<&BinomialShape::d1>(aroundOf);
    d2_ = Member<&BinomialShape::d2>(aroundOf);
    s1_ = Member<&BinomialShape::s1>(aroundOf);
    s2_ = Member<&BinomialShape::s2>(aroundOf);
    s1Squared_ = Member<&BinomialShape::s1Squared>(aroundOf);
    s2Squared_ = Member<&BinomialShape::s2Squared>(aroundOf);
    c_ = Member<&BinomialShape::c>(aroundOf);
    a1_ = Member<&BinomialShape::a1>(aroundOf);
    a12_ = Member<&BinomialShape::a12>(aroundOf);
    a123_ = Member<&BinomialShape::a123>(aroundOf);
    total_ = Member<&BinomialShape::total>(aroundOf);
    logFactorials_ = Member<&BinomialShape::logFactorials>(aroundOf);
    logOdds_ = Member<&BinomialShape::logOdds>(aroundOf);
  }

  // One member of the shapes of the runs of a vector, put together in
  // registers where the path allows.
  template <double BinomialShape::*member>
  static HWY_INLINE V Member(const BinomialShape* const (&of)[kPerVector]) {
#if HWY_TARGET == HWY_AVX2
    return V{_mm256_set_pd(of[3]->*member, of[2]->*member, of[1]->*member, of[0]->*member)};
#else
    HWY_ALIGN double values[kPerVector];
    for (std::size_t l = 0; l < kPerVector; ++l) values[l] = of[l]->*member;
    return hn::Load(D(), values);
#endif
  }

  HWY_INLINE V Uniform(M drawing) {
    return uniforms_.NextCanonical(part_, drawing);
  }
  // -log(1 - u).
  HWY_INLINE V Exponential(M drawing) {
    const V u = Uniform(drawing);
    return hn::Neg(PerRun<LogOf>(hn::Sub(hn::Set(D(), 1.0), u), drawing));
  }

  // Standard normal numbers by the polar method, two at a time: the second
  // waits in saved_ for the same run's next call within the same draw.
  V Normal(M need) {
    const V one = hn::Set(D(), 1.0);
    const V two = hn::Set(D(), 2.0);
    const M fromSaved = hn::And(need, savedAvailable_);
    V result = hn::IfThenElse(fromSaved, saved_, hn::Zero(D()));
    savedAvailable_ = hn::AndNot(fromSaved, savedAvailable_);
    const M fresh = hn::AndNot(fromSaved, need);
    if (hn::AllFalse(D(), fresh)) return result;
    V x = hn::Zero(D());
    V y = hn::Zero(D());
    V r2 = one;
    M pending = fresh;
    do {
      const V xNext = hn::Sub(hn::Mul(two, Uniform(pending)), one);
      const V yNext = hn::Sub(hn::Mul(two, Uniform(pending)), one);
      const V r2Next = hn::Add(hn::Mul(xNext, xNext), hn::Mul(yNext, yNext));
      x = hn::IfThenElse(pending, xNext, x);
      y = hn::IfThenElse(pending, yNext, y);
      r2 = hn::IfThenElse(pending, r2Next, r2);
      pending = hn::And(pending, hn::Or(hn::Gt(r2Next, one), hn::Eq(r2Next, hn::Zero(D()))));
    } while (!hn::AllFalse(D(), pending));
    const V logR2 = PerRun<LogOf>(r2, fresh);
    const V mult = hn::Sqrt(hn::Div(hn::Mul(hn::Set(D(), -2.0), logR2), r2));
    saved_ = hn::IfThenElse(fresh, hn::Mul(x, mult), saved_);
    savedAvailable_ = hn::Or(savedAvailable_, fresh);
    return hn::IfThenElse(fresh, hn::Mul(y, mult), result);
  }

  // The accepted offset from the mode of every run where `active` holds.
  V RejectAroundMode(M active) {
    const V one = hn::Set(D(), 1.0);
    const V two = hn::Set(D(), 2.0);
    saved_ = hn::Zero(D());
    savedAvailable_ = hn::FirstN(D(), 0);
    V accepted = hn::Zero(D());
    M going = active;
    do {
      const V u = hn::Mul(total_, Uniform(going));
      const M left = hn::And(going, hn::Le(u, a1_));
      const M right = hn::AndNot(left, hn::And(going, hn::Le(u, a12_)));
      const M body = hn::Or(left, right);
      const M leftTail = hn::AndNot(body, hn::And(going, hn::Le(u, a123_)));
      const M tails = hn::AndNot(body, going);
      // The normal body: a run whose normal lies beyond its width is
      // rejected before it takes its exponential number.
      const V n = Normal(body);
      const V y = hn::Mul(hn::IfThenElse(left, s1_, s2_), hn::Abs(n));
      const M early = hn::And(body, hn::Ge(y, hn::IfThenElse(left, d1_, d2_)));
      const V e1 = Exponential(hn::Or(hn::AndNot(early, body), tails));
      const V e2 = Exponential(tails);
      const V bodyV = hn::Sub(hn::Neg(e1), hn::Div(hn::Mul(n, n), two));
      const V yLeft = hn::Add(d1_, hn::Div(hn::Mul(hn::Mul(two, s1Squared_), e1), d1_));
      const V vLeft =
          hn::Add(hn::Neg(e2), hn::Mul(d1_, hn::Sub(hn::Div(one, hn::Sub(aroundTrials_, mode_)),
                                                    hn::Div(yLeft, hn::Mul(two, s1Squared_)))));
      const V yRight = hn::Add(d2_, hn::Div(hn::Mul(hn::Mul(two, s2Squared_), e1), d2_));
      const V vRight =
          hn::Sub(hn::Neg(e2), hn::Div(hn::Mul(d2_, yRight), hn::Mul(two, s2Squared_)));
      const V x = hn::IfThenElse(
          left, hn::Floor(y),
          hn::IfThenElse(right, hn::Floor(hn::Neg(y)),
                         hn::IfThenElse(leftTail, hn::Floor(yLeft), hn::Floor(hn::Neg(yRight)))));
      const V v =
          hn::IfThenElse(left, hn::Add(bodyV, c_),
                         hn::IfThenElse(right, bodyV, hn::IfThenElse(leftTail, vLeft, vRight)));
      M reject = hn::Or(early, hn::And(going, hn::Or(hn::Lt(x, hn::Neg(mode_)),
                                                     hn::Gt(x, hn::Sub(aroundTrials_, mode_)))));
      const M check = hn::AndNot(reject, going);
      const V modeX = hn::Add(mode_, x);
      const V lfx = hn::Add(PerRun<LogGammaOf>(hn::Add(modeX, one), check),
                            PerRun<LogGammaOf>(hn::Add(hn::Sub(aroundTrials_, modeX), one), check));
      const V bound = hn::Add(hn::Sub(logFactorials_, lfx), hn::Mul(x, logOdds_));
      reject = hn::Or(reject, hn::And(check, hn::Gt(v, bound)));
      reject = hn::Or(
          reject, hn::And(check, hn::Ge(hn::Add(x, mode_), hn::Set(D(), kBinomialCountCeiling))));
      accepted = hn::IfThenElse(hn::AndNot(reject, going), x, accepted);
      going = hn::And(going, reject);
    } while (!hn::AllFalse(D(), going));
    return accepted;
  }

  // The waiting-time method for the runs where `active` holds.
  V WaitForSuccesses(M active, V trials, V limit) {
    const V one = hn::Set(D(), 1.0);
    V x = hn::Zero(D());
    V sum = hn::Zero(D());
    V result = hn::Zero(D());
    M going = active;
    while (true) {
      const M allTaken = hn::And(going, hn::Eq(trials, x));
      result = hn::IfThenElse(allTaken, x, result);
      going = hn::AndNot(allTaken, going);
      if (hn::AllFalse(D(), going)) break;
      const V e = Exponential(going);
      const V left = hn::IfThenElse(going, hn::Sub(trials, x), one);
      sum = hn::IfThenElse(going, hn::Add(sum, hn::Div(e, left)), sum);
      x = hn::IfThenElse(going, hn::Add(x, one), x);
      const M done = hn::AndNot(hn::Le(sum, limit), going);
      result = hn::IfThenElse(done, hn::Sub(x, one), result);
      going = hn::AndNot(done, going);
      if (hn::AllFalse(D(), going)) break;
    }
    return result;
  }

  LaneUniforms& uniforms_;
  const std::size_t part_;
  V trials_, waitingLimit_, aroundTrials_, mode_, d1_, d2_, s1_, s2_, s1Squared_, s2Squared_, c_,
      a1_, a12_, a123_, total_, logFactorials_, logOdds_;
  M flipped_, rejection_;
  V saved_;
  M savedAvailable_;
};

}  // namespace lanes
}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#endif  // RECMOD_LANES_LANE_BINOMIAL_INL_HPP
