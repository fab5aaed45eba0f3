// The vectors of a batch of runs: a batch is kParts vectors of Lanes(D())
// runs each. Every step of the kernel goes through the batch vector by
// vector with a deme's entries in registers; the vectors are independent, so
// the processor overlaps the long chains of one (sums over haplotypes,
// divisions by their total) with those of the others.
//
// Included by the kernel once per SIMD path (Highway's per-target pattern).

#if defined(RECMOD_LANES_LANE_VECTORS_INL_HPP) == defined(HWY_TARGET_TOGGLE)
#ifdef RECMOD_LANES_LANE_VECTORS_INL_HPP
#undef RECMOD_LANES_LANE_VECTORS_INL_HPP
#else
#define RECMOD_LANES_LANE_VECTORS_INL_HPP
#endif

#include <hwy/highway.h>

#include <cstddef>

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace lanes {

namespace hn = hwy::HWY_NAMESPACE;
using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;

// Runs per vector, vectors per batch, runs per batch.
constexpr std::size_t kPerVector = hn::MaxLanes(D());
constexpr std::size_t kParts = 4;
constexpr std::size_t kWidth = kParts * kPerVector;

// `a < b ? a : b` and `a > b ? a : b` per run, exactly as written: with NaN or
// with zeros of both signs the second operand comes out. On x86 these are the
// minimum and maximum instructions, whose operand order is defined so.
HWY_INLINE V LessOr(V a, V b) {
#if HWY_TARGET == HWY_AVX3
  return V{_mm512_min_pd(a.raw, b.raw)};
#elif HWY_TARGET == HWY_AVX2
  return V{_mm256_min_pd(a.raw, b.raw)};
#else
  return hn::IfThenElse(hn::Lt(a, b), a, b);
#endif
}
HWY_INLINE V GreaterOr(V a, V b) {
#if HWY_TARGET == HWY_AVX3
  return V{_mm512_max_pd(a.raw, b.raw)};
#elif HWY_TARGET == HWY_AVX2
  return V{_mm256_max_pd(a.raw, b.raw)};
#else
  return hn::IfThenElse(hn::Gt(a, b), a, b);
#endif
}

// The clamps of the scalar engine, `x > 1 ? 1 : x` and `x < 0 ? 0 : x`
// (NaN and -0.0 stay as they are).
HWY_INLINE V AtMostOne(V x) {
  return LessOr(hn::Set(D(), 1.0), x);
}
HWY_INLINE V AtLeastZero(V x) {
  return GreaterOr(hn::Zero(D()), x);
}

// Halving is exact in binary floating point (x / 2 and x * 0.5 are the same
// number, to the last bit, for every x), and a multiplication is much cheaper.
HWY_INLINE V Half(V x) {
  return hn::Mul(x, hn::Set(D(), 0.5));
}

}  // namespace lanes
}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#endif  // RECMOD_LANES_LANE_VECTORS_INL_HPP
