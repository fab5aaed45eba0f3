// Groups of SIMD vectors that the lane engine treats as one wide vector: every
// operation is applied to each vector of the group in turn. A run's steps are
// long chains of dependent operations (sums over haplotypes, divisions by
// their total); a group gives the processor several independent chains to
// overlap, which one vector alone would leave waiting.
//
// Included by the kernel once per SIMD path (Highway's per-target pattern).

#if defined(RECMOD_LANES_WIDE_VECTOR_INL_HPP) == defined(HWY_TARGET_TOGGLE)
#ifdef RECMOD_LANES_WIDE_VECTOR_INL_HPP
#undef RECMOD_LANES_WIDE_VECTOR_INL_HPP
#else
#define RECMOD_LANES_WIDE_VECTOR_INL_HPP
#endif

#include <hwy/highway.h>

#include <cstddef>

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace wide {

namespace hn = hwy::HWY_NAMESPACE;
using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;

// Vectors per group.
constexpr std::size_t kGroup = 4;

struct Vec {
  V part[kGroup];
};
struct Mask {
  M part[kGroup];
};

// Runs a group holds: kGroup vectors of Lanes(D()) runs each.
constexpr std::size_t kWidth = kGroup * hn::MaxLanes(D());

template <typename Op>
HWY_INLINE Vec Each(const Vec& a, Op op) {
  Vec r;
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = op(a.part[g]);
  return r;
}
template <typename Op>
HWY_INLINE Vec Each(const Vec& a, const Vec& b, Op op) {
  Vec r;
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = op(a.part[g], b.part[g]);
  return r;
}
template <typename Op>
HWY_INLINE Mask Compare(const Vec& a, const Vec& b, Op op) {
  Mask r;
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = op(a.part[g], b.part[g]);
  return r;
}

// `values` holds Width() numbers, run by run.
HWY_INLINE Vec Load(const double* HWY_RESTRICT values) {
  Vec r;
  constexpr std::size_t n = hn::MaxLanes(D());
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = hn::LoadU(D(), values + g * n);
  return r;
}
HWY_INLINE void Store(const Vec& v, double* HWY_RESTRICT values) {
  constexpr std::size_t n = hn::MaxLanes(D());
  for (std::size_t g = 0; g < kGroup; ++g) hn::StoreU(v.part[g], D(), values + g * n);
}
HWY_INLINE Vec Set(double value) {
  Vec r;
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = hn::Set(D(), value);
  return r;
}
HWY_INLINE Vec Zero() {
  return Set(0.0);
}

HWY_INLINE Vec Add(const Vec& a, const Vec& b) {
  return Each(a, b, [](V x, V y) { return hn::Add(x, y); });
}
HWY_INLINE Vec Sub(const Vec& a, const Vec& b) {
  return Each(a, b, [](V x, V y) { return hn::Sub(x, y); });
}
HWY_INLINE Vec Mul(const Vec& a, const Vec& b) {
  return Each(a, b, [](V x, V y) { return hn::Mul(x, y); });
}
HWY_INLINE Vec Div(const Vec& a, const Vec& b) {
  return Each(a, b, [](V x, V y) { return hn::Div(x, y); });
}
// Halving is exact in binary floating point (x / 2 and x * 0.5 are the same
// number, to the last bit, for every x), and a multiplication is much cheaper.
HWY_INLINE Vec Half(const Vec& a) {
  return Each(a, [](V x) { return hn::Mul(x, hn::Set(D(), 0.5)); });
}
HWY_INLINE Vec Neg(const Vec& a) {
  return Each(a, [](V x) { return hn::Neg(x); });
}
HWY_INLINE Vec Sqrt(const Vec& a) {
  return Each(a, [](V x) { return hn::Sqrt(x); });
}
HWY_INLINE Vec Floor(const Vec& a) {
  return Each(a, [](V x) { return hn::Floor(x); });
}

// The comparisons are the quiet ones: false for NaN, -0.0 equal to 0.0.
HWY_INLINE Mask Lt(const Vec& a, const Vec& b) {
  return Compare(a, b, [](V x, V y) { return hn::Lt(x, y); });
}
HWY_INLINE Mask Gt(const Vec& a, const Vec& b) {
  return Compare(a, b, [](V x, V y) { return hn::Gt(x, y); });
}
HWY_INLINE Mask Eq(const Vec& a, const Vec& b) {
  return Compare(a, b, [](V x, V y) { return hn::Eq(x, y); });
}
HWY_INLINE Mask Not(const Mask& m) {
  Mask r;
  for (std::size_t g = 0; g < kGroup; ++g) r.part[g] = hn::Not(m.part[g]);
  return r;
}

// Per run: `yes` where the mask holds, else `no`.
HWY_INLINE Vec IfThenElse(const Mask& m, const Vec& yes, const Vec& no) {
  Vec r;
  for (std::size_t g = 0; g < kGroup; ++g)
    r.part[g] = hn::IfThenElse(m.part[g], yes.part[g], no.part[g]);
  return r;
}

HWY_INLINE bool AllFalse(const Mask& m) {
  bool all = true;
  for (std::size_t g = 0; g < kGroup; ++g) all = all && hn::AllFalse(D(), m.part[g]);
  return all;
}
HWY_INLINE bool AllTrue(const Mask& m) {
  bool all = true;
  for (std::size_t g = 0; g < kGroup; ++g) all = all && hn::AllTrue(D(), m.part[g]);
  return all;
}
// Writes Width() flags, run by run.
HWY_INLINE void StoreFlags(const Mask& m, bool* flags) {
  constexpr std::size_t n = hn::MaxLanes(D());
  HWY_ALIGN double values[n];
  for (std::size_t g = 0; g < kGroup; ++g) {
    hn::Store(hn::VecFromMask(D(), m.part[g]), D(), values);
    for (std::size_t l = 0; l < n; ++l) flags[g * n + l] = values[l] != 0.0;
  }
}

}  // namespace wide
}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#endif  // RECMOD_LANES_WIDE_VECTOR_INL_HPP
