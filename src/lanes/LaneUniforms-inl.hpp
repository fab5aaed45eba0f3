// The uniform streams of the runs of a batch, one per run, each exactly the
// stream its run's generator gives when run alone. The generators of all
// runs advance together in vector registers (the 128-bit multiply of each
// step from 32-bit products), a block of numbers at a time; a draw then
// gathers each run's next pair from its own queue, so that runs may take
// different numbers of them (a run whose R+ class is empty takes none at its
// recombination).
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

// The 128-bit states of the generators of one vector of runs.
struct GeneratorStates {
  VU high;
  VU low;
};

class LaneUniforms {
 public:
  // Numbers made per run at a time; a queue holds at most twice as many.
  static constexpr std::size_t kBlock = 32;
  static constexpr std::size_t kCapacity = 2 * kBlock;

  // `generators`: kWidth generators, one per lane.
  void Reset(const UniformGenerator* generators) {
    for (std::size_t l = 0; l < kWidth; ++l) {
      const UniformGenerator::Words words = generators[l].StateWords();
      stateHigh_[l] = words.stateHigh;
      stateLow_[l] = words.stateLow;
      incrementHigh_[l] = words.incrementHigh;
      incrementLow_[l] = words.incrementLow;
      multiplierHigh_ = words.multiplierHigh;
      multiplierLow_ = words.multiplierLow;
      next_[l] = 0;
      end_[l] = 0;
      base_[l] = static_cast<std::int64_t>(l * kCapacity);
    }
  }

  // The next two numbers of every run of vector `part` where `drawing` holds;
  // the other runs take none (what they get is not to be used).
  HWY_INLINE void Pair(std::size_t part, M drawing, V& u1, V& u2) {
    const std::size_t first = part * kPerVector;
    const VI two = hn::Set(DI(), 2);
    VI next = hn::Load(DI(), next_ + first);
    if (!hn::AllFalse(DI(), hn::Gt(hn::Add(next, two), hn::Load(DI(), end_ + first)))) {
      Refill();
      next = hn::Load(DI(), next_ + first);
    }
    const VI index = hn::Add(next, hn::Load(DI(), base_ + first));
    u1 = hn::GatherIndex(D(), numbers_, index);
    u2 = hn::GatherIndex(D(), numbers_ + 1, index);
    hn::Store(hn::Add(next, hn::IfThenElseZero(hn::RebindMask(DI(), drawing), two)), DI(),
              next_ + first);
  }

 private:
  // Every run with fewer than kBlock numbers left gets kBlock more; the
  // others' generators stand still, so that no queue overflows however few
  // numbers its run takes.
  HWY_NOINLINE void Refill() {
    for (std::size_t l = 0; l < kWidth; ++l) {
      double* queue = numbers_ + l * kCapacity;
      const std::int64_t kept = end_[l] - next_[l];
      for (std::int64_t i = 0; i < kept; ++i) queue[i] = queue[next_[l] + i];
      next_[l] = 0;
      end_[l] = kept;
    }
    const VI block = hn::Set(DI(), static_cast<std::int64_t>(kBlock));
    for (std::size_t part = 0; part < kParts; ++part) {
      const std::size_t first = part * kPerVector;
      const auto wanting = hn::RebindMask(DU(), hn::Lt(hn::Load(DI(), end_ + first), block));
      GeneratorStates state{hn::Load(DU(), stateHigh_ + first), hn::Load(DU(), stateLow_ + first)};
      const GeneratorStates increment{hn::Load(DU(), incrementHigh_ + first),
                                      hn::Load(DU(), incrementLow_ + first)};
      for (std::size_t i = 0; i < kBlock; ++i) {
        const GeneratorStates stepped = Step(state, increment);
        state.high = hn::IfThenElse(wanting, stepped.high, state.high);
        state.low = hn::IfThenElse(wanting, stepped.low, state.low);
        hn::Store(Output(stepped), D(), fresh_[i] + first);
      }
      hn::Store(state.high, DU(), stateHigh_ + first);
      hn::Store(state.low, DU(), stateLow_ + first);
    }
    for (std::size_t l = 0; l < kWidth; ++l) {
      if (end_[l] >= static_cast<std::int64_t>(kBlock)) continue;
      double* queue = numbers_ + l * kCapacity + end_[l];
      for (std::size_t i = 0; i < kBlock; ++i) queue[i] = fresh_[i][l];
      end_[l] += static_cast<std::int64_t>(kBlock);
    }
  }

  // state * multiplier + increment, modulo 2^128.
  HWY_INLINE GeneratorStates Step(const GeneratorStates& state,
                                  const GeneratorStates& increment) const {
#if HWY_TARGET == HWY_SCALAR
    using Wide = pcg_extras::pcg128_t;
    auto join = [](std::uint64_t high, std::uint64_t low) {
      return (static_cast<Wide>(high) << 64) | low;
    };
    const Wide next = join(hn::GetLane(state.high), hn::GetLane(state.low)) *
                          join(multiplierHigh_, multiplierLow_) +
                      join(hn::GetLane(increment.high), hn::GetLane(increment.low));
    return {hn::Set(DU(), static_cast<std::uint64_t>(next >> 64)),
            hn::Set(DU(), static_cast<std::uint64_t>(next))};
#else
    const VU multiplierLow = hn::Set(DU(), multiplierLow_);
    const VU low = hn::Add(MulLow(state.low, multiplierLow), increment.low);
    // The carry out of the low half, as an unsigned comparison.
    const VI sign = hn::Set(DI(), INT64_MIN);
    const auto carry = hn::Lt(hn::Xor(hn::BitCast(DI(), low), sign),
                              hn::Xor(hn::BitCast(DI(), increment.low), sign));
    VU high = hn::Add(MulHigh(state.low, multiplierLow), MulLow(state.high, multiplierLow));
    high = hn::Add(high, MulLow(state.low, hn::Set(DU(), multiplierHigh_)));
    high = hn::Add(high, increment.high);
    high = hn::Sub(high, hn::BitCast(DU(), hn::VecFromMask(DI(), carry)));
    return {high, low};
#endif
  }

  // The number a state gives: the top 53 bits of (high ^ low) rotated right
  // by (high >> 58), as UniformGenerator::UniformOf.
  static HWY_INLINE V Output(const GeneratorStates& state) {
    const VU mixed = hn::Xor(state.high, state.low);
    const VU rotation = hn::ShiftRight<58>(state.high);
    const VU back = hn::And(hn::Sub(hn::Set(DU(), 64), rotation), hn::Set(DU(), 63));
    const VU output = hn::Or(hn::Shr(mixed, rotation), hn::Shl(mixed, back));
    const V whole = hn::ConvertTo(D(), hn::BitCast(DI(), hn::ShiftRight<11>(output)));
    return hn::Mul(whole, hn::Set(D(), 0x1.0p-53));
  }

  std::uint64_t multiplierHigh_ = 0;
  std::uint64_t multiplierLow_ = 0;
  alignas(64) std::uint64_t stateHigh_[kWidth] = {};
  alignas(64) std::uint64_t stateLow_[kWidth] = {};
  alignas(64) std::uint64_t incrementHigh_[kWidth] = {};
  alignas(64) std::uint64_t incrementLow_[kWidth] = {};
  alignas(64) std::int64_t next_[kWidth] = {};  // per run: its first number not taken
  alignas(64) std::int64_t end_[kWidth] = {};   // per run: the end of its numbers
  alignas(64) std::int64_t base_[kWidth] = {};  // per run: where its queue starts
  alignas(64) double numbers_[kWidth * kCapacity] = {};
  alignas(64) double fresh_[kBlock][kWidth] = {};
};

}  // namespace lanes
}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#endif  // RECMOD_LANES_LANE_UNIFORMS_INL_HPP
