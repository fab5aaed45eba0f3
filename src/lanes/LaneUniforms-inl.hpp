// The uniform streams of the runs of a batch, one per run, each exactly the
// stream its run's generator gives when run alone. The generators of a vector
// of runs advance together in vector registers, at the draw that takes their
// numbers (the 128-bit multiply of each step from 32-bit products), and only
// in the runs that draw: a run whose R+ class is empty takes no numbers at
// its recombination and keeps its place in its stream.
//
// Included by the kernel once per SIMD path (Highway's per-target pattern).

#if defined(RECMOD_LANES_LANE_UNIFORMS_INL_HPP) == defined(HWY_TARGET_TOGGLE)
#ifdef RECMOD_LANES_LANE_UNIFORMS_INL_HPP
#undef RECMOD_LANES_LANE_UNIFORMS_INL_HPP
#else
#define RECMOD_LANES_LANE_UNIFORMS_INL_HPP
#endif

#include <hwy/highway.h>

#include <cstddef>
#include <cstdint>

#include "lanes/LaneVectors-inl.hpp"
#include "model/BinomialDraw.hpp"
#include "model/UniformGenerator.hpp"

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace lanes {

using DU = hn::RebindToUnsigned<D>;
using DI = hn::RebindToSigned<D>;
using VU = hn::Vec<DU>;
using VI = hn::Vec<DI>;

#if HWY_TARGET != HWY_SCALAR
// The product of the low 32 bits of a and b.
HWY_INLINE VU Mul32(VU a, VU b) {
  using DU32 = hn::Repartition<std::uint32_t, DU>;
  return hn::MulEven(hn::BitCast(DU32(), a), hn::BitCast(DU32(), b));
}

// The low and the high 64 bits of the 128-bit product a * b.
HWY_INLINE VU MulLow(VU a, VU b) {
#if HWY_TARGET == HWY_AVX3
  return hn::Mul(a, b);
#else
  const VU cross = hn::Add(Mul32(a, hn::ShiftRight<32>(b)), Mul32(hn::ShiftRight<32>(a), b));
  return hn::Add(Mul32(a, b), hn::ShiftLeft<32>(cross));
#endif
}
HWY_INLINE VU MulHigh(VU a, VU b) {
  const VU low32 = hn::Set(DU(), 0xFFFFFFFFULL);
  const VU aHigh = hn::ShiftRight<32>(a);
  const VU bHigh = hn::ShiftRight<32>(b);
  const VU p00 = Mul32(a, b);
  const VU p01 = Mul32(a, bHigh);
  const VU p10 = Mul32(aHigh, b);
  const VU p11 = Mul32(aHigh, bHigh);
  const VU middle =
      hn::Add(hn::Add(hn::ShiftRight<32>(p00), hn::And(p01, low32)), hn::And(p10, low32));
  return hn::Add(hn::Add(hn::Add(p11, hn::ShiftRight<32>(p01)), hn::ShiftRight<32>(p10)),
                 hn::ShiftRight<32>(middle));
}
#endif

// Where the vectors have no 64-bit multiply, the pairs of the draw step each
// run's generator in the processor's integer units (one 64 x 64 -> 128-bit
// product and two 64-bit ones per step), beside the vector units that do the
// draw's arithmetic, and only the uniform numbers go to the vectors; the
// integer steps give the very same states and outputs. The single numbers of
// exact sampling step there too on AVX2, and their whole 64-bit outputs go
// to the vector for the rounding conversion, which is dearer run by run.
#undef RECMOD_LANE_STEPS_IN_INTEGERS
#define RECMOD_LANE_STEPS_IN_INTEGERS (HWY_TARGET != HWY_AVX3 && HWY_TARGET != HWY_SCALAR)

// 128-bit numbers of one vector of runs, as high and low halves.
struct Wide128 {
  VU high;
  VU low;
};

class LaneUniforms {
 public:
  // `generators`: kWidth generators, one per lane.
  void Reset(const UniformGenerator* generators) {
    auto join = [](std::uint64_t high, std::uint64_t low) {
      return (static_cast<Number>(high) << 64) | low;
    };
    for (std::size_t l = 0; l < kWidth; ++l) {
      const UniformGenerator::Words words = generators[l].StateWords();
      const Number multiplier = join(words.multiplierHigh, words.multiplierLow);
      const Number increment = join(words.incrementHigh, words.incrementLow);
      // Two steps at once: s2 = M (M s + c) + c = M^2 s + (M + 1) c.
      const Number increment2 = (multiplier + 1) * increment;
      const Number multiplier2 = multiplier * multiplier;
      stateHigh_[l] = words.stateHigh;
      stateLow_[l] = words.stateLow;
      incrementHigh_[l] = words.incrementHigh;
      incrementLow_[l] = words.incrementLow;
      increment2High_[l] = static_cast<std::uint64_t>(increment2 >> 64);
      increment2Low_[l] = static_cast<std::uint64_t>(increment2);
      multiplier_ = {words.multiplierHigh, words.multiplierLow};
      multiplier2_ = {static_cast<std::uint64_t>(multiplier2 >> 64),
                      static_cast<std::uint64_t>(multiplier2)};
#if RECMOD_LANE_STEPS_IN_INTEGERS
      multiplierNumber_ = multiplier;
      multiplier2Number_ = multiplier2;
#endif
    }
  }

  // The next two numbers of every run of vector `part` where `drawing` holds;
  // the other runs take none (what they get is not to be used). Both come
  // from the state before the draw, so that they do not wait on each other.
  HWY_INLINE void Pair(std::size_t part, M drawing, V& u1, V& u2) {
#if RECMOD_LANE_STEPS_IN_INTEGERS
    const std::size_t first = part * kPerVector;
    const std::uint64_t moving = Bits(drawing);
    double once[kPerVector];
    double twice[kPerVector];
    for (std::size_t l = 0; l < kPerVector; ++l) {
      const Number state = StateOf(first + l);
      const Number next = state * multiplierNumber_ + IncrementOf(first + l);
      const Number after = state * multiplier2Number_ + Increment2Of(first + l);
      once[l] = static_cast<double>(static_cast<std::int64_t>(OutputOf(next) >> 11));
      twice[l] = static_cast<double>(static_cast<std::int64_t>(OutputOf(after) >> 11));
      Keep(first + l, ((moving >> l) & 1U) != 0 ? after : state);
    }
    u1 = hn::Mul(Gathered(once), hn::Set(D(), 0x1.0p-53));
    u2 = hn::Mul(Gathered(twice), hn::Set(D(), 0x1.0p-53));
#else
    const std::size_t first = part * kPerVector;
    const Wide128 state{hn::Load(DU(), stateHigh_ + first), hn::Load(DU(), stateLow_ + first)};
    const Wide128 once =
        Step(state, multiplier_,
             {hn::Load(DU(), incrementHigh_ + first), hn::Load(DU(), incrementLow_ + first)});
    const Wide128 twice =
        Step(state, multiplier2_,
             {hn::Load(DU(), increment2High_ + first), hn::Load(DU(), increment2Low_ + first)});
    u1 = Output(once);
    u2 = Output(twice);
    const auto moving = hn::RebindMask(DU(), drawing);
    hn::Store(hn::IfThenElse(moving, twice.high, state.high), DU(), stateHigh_ + first);
    hn::Store(hn::IfThenElse(moving, twice.low, state.low), DU(), stateLow_ + first);
#endif
  }

  // The next output of every run of vector `part` where `drawing` holds, as
  // the uniform number of exact sampling (CanonicalUniform: the output over
  // 2^64, rounded to nearest, and never 1); the other runs take none.
  HWY_INLINE V NextCanonical(std::size_t part, M drawing) {
#if RECMOD_LANE_STEPS_IN_INTEGERS && HWY_TARGET == HWY_AVX2
    const std::size_t first = part * kPerVector;
    const std::uint64_t moving = Bits(drawing);
    std::uint64_t output[kPerVector];
    for (std::size_t l = 0; l < kPerVector; ++l) {
      const Number state = StateOf(first + l);
      const Number next = state * multiplierNumber_ + IncrementOf(first + l);
      output[l] = OutputOf(next);
      Keep(first + l, ((moving >> l) & 1U) != 0 ? next : state);
    }
    const VU bits{
        _mm256_set_epi64x(static_cast<long long>(output[3]), static_cast<long long>(output[2]),
                          static_cast<long long>(output[1]), static_cast<long long>(output[0]))};
    const V u = hn::Mul(hn::ConvertTo(D(), bits), hn::Set(D(), 0x1.0p-64));
#else
    const std::size_t first = part * kPerVector;
    const Wide128 state{hn::Load(DU(), stateHigh_ + first), hn::Load(DU(), stateLow_ + first)};
    const Wide128 once =
        Step(state, multiplier_,
             {hn::Load(DU(), incrementHigh_ + first), hn::Load(DU(), incrementLow_ + first)});
    const auto moving = hn::RebindMask(DU(), drawing);
    hn::Store(hn::IfThenElse(moving, once.high, state.high), DU(), stateHigh_ + first);
    hn::Store(hn::IfThenElse(moving, once.low, state.low), DU(), stateLow_ + first);
    // The conversion of a 64-bit output rounds to nearest on every path, as
    // the scalar conversion does; the scaling by 2^-64 is exact.
    const V u = hn::Mul(hn::ConvertTo(D(), OutputBits(once)), hn::Set(D(), 0x1.0p-64));
#endif
    return hn::IfThenElse(hn::Ge(u, hn::Set(D(), 1.0)), hn::Set(D(), kBelowOne), u);
  }

 private:
  using Number = pcg_extras::pcg128_t;
#if RECMOD_LANE_STEPS_IN_INTEGERS
  static HWY_INLINE std::uint64_t Bits(M drawing) {
    std::uint8_t bits[8] = {};
    hn::StoreMaskBits(D(), drawing, bits);
    std::uint64_t all = 0;
    for (std::size_t b = 0; b < (kPerVector + 7) / 8; ++b) all |= std::uint64_t{bits[b]} << (8 * b);
    return all;
  }
  // The numbers of the runs of a vector as one vector, put together in
  // registers where the path allows: a vector load of the single stores just
  // made would wait until they had reached the cache.
  static HWY_INLINE V Gathered(const double (&values)[kPerVector]) {
#if HWY_TARGET == HWY_AVX2
    return V{_mm256_set_pd(values[3], values[2], values[1], values[0])};
#else
    return hn::LoadU(D(), values);
#endif
  }
  static HWY_INLINE Number Join(std::uint64_t high, std::uint64_t low) {
    return (static_cast<Number>(high) << 64) | low;
  }
  HWY_INLINE Number StateOf(std::size_t l) const {
    return Join(stateHigh_[l], stateLow_[l]);
  }
  HWY_INLINE Number IncrementOf(std::size_t l) const {
    return Join(incrementHigh_[l], incrementLow_[l]);
  }
  HWY_INLINE Number Increment2Of(std::size_t l) const {
    return Join(increment2High_[l], increment2Low_[l]);
  }
  HWY_INLINE void Keep(std::size_t l, Number state) {
    stateHigh_[l] = static_cast<std::uint64_t>(state >> 64);
    stateLow_[l] = static_cast<std::uint64_t>(state);
  }
  // The generator's output of a state: (high ^ low) rotated right by high >> 58.
  static HWY_INLINE std::uint64_t OutputOf(Number state) {
    const auto high = static_cast<std::uint64_t>(state >> 64);
    const std::uint64_t mixed = high ^ static_cast<std::uint64_t>(state);
    const unsigned rotation = static_cast<unsigned>(high >> 58);
    return (mixed >> rotation) | (mixed << ((64U - rotation) & 63U));
  }
  Number multiplierNumber_ = 0;
  Number multiplier2Number_ = 0;
#endif
  struct Constant {
    std::uint64_t high;
    std::uint64_t low;
  };

  // state * multiplier + increment, modulo 2^128.
  static HWY_INLINE Wide128 Step(const Wide128& state, Constant multiplier,
                                 const Wide128& increment) {
#if HWY_TARGET == HWY_SCALAR
    using Number = pcg_extras::pcg128_t;
    auto join = [](std::uint64_t high, std::uint64_t low) {
      return (static_cast<Number>(high) << 64) | low;
    };
    const Number next = join(hn::GetLane(state.high), hn::GetLane(state.low)) *
                            join(multiplier.high, multiplier.low) +
                        join(hn::GetLane(increment.high), hn::GetLane(increment.low));
    return {hn::Set(DU(), static_cast<std::uint64_t>(next >> 64)),
            hn::Set(DU(), static_cast<std::uint64_t>(next))};
#else
    const VU multiplierLow = hn::Set(DU(), multiplier.low);
    const VU low = hn::Add(MulLow(state.low, multiplierLow), increment.low);
    // The carry out of the low half, as an unsigned comparison.
    const VI sign = hn::Set(DI(), INT64_MIN);
    const auto carry = hn::Lt(hn::Xor(hn::BitCast(DI(), low), sign),
                              hn::Xor(hn::BitCast(DI(), increment.low), sign));
    VU high = hn::Add(MulHigh(state.low, multiplierLow), MulLow(state.high, multiplierLow));
    high = hn::Add(high, MulLow(state.low, hn::Set(DU(), multiplier.high)));
    high = hn::Add(high, increment.high);
    high = hn::Sub(high, hn::BitCast(DU(), hn::VecFromMask(DI(), carry)));
    return {high, low};
#endif
  }

  // The uniform number a state gives: the top 53 bits of (high ^ low) rotated right
  // by (high >> 58), as UniformGenerator::UniformOf.
  static HWY_INLINE V Output(const Wide128& state) {
    const VU output = OutputBits(state);
    const V whole = hn::ConvertTo(D(), hn::BitCast(DI(), hn::ShiftRight<11>(output)));
    return hn::Mul(whole, hn::Set(D(), 0x1.0p-53));
  }

  // The generator's output of a state.
  static HWY_INLINE VU OutputBits(const Wide128& state) {
    const VU mixed = hn::Xor(state.high, state.low);
    const VU rotation = hn::ShiftRight<58>(state.high);
#if HWY_TARGET == HWY_AVX3
    const VU output{_mm512_rorv_epi64(mixed.raw, rotation.raw)};
#else
    const VU back = hn::And(hn::Sub(hn::Set(DU(), 64), rotation), hn::Set(DU(), 63));
    const VU output = hn::Or(hn::Shr(mixed, rotation), hn::Shl(mixed, back));
#endif
    return output;
  }

  Constant multiplier_{};
  Constant multiplier2_{};
  alignas(64) std::uint64_t stateHigh_[kWidth] = {};
  alignas(64) std::uint64_t stateLow_[kWidth] = {};
  alignas(64) std::uint64_t incrementHigh_[kWidth] = {};
  alignas(64) std::uint64_t incrementLow_[kWidth] = {};
  alignas(64) std::uint64_t increment2High_[kWidth] = {};
  alignas(64) std::uint64_t increment2Low_[kWidth] = {};
};

}  // namespace lanes
}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#endif  // RECMOD_LANES_LANE_UNIFORMS_INL_HPP
