// The lane engine: the generation cycle of RunGenerations for a batch of runs
// at once, one run per vector lane, compiled once for every SIMD path (this
// file is included again for each by Highway's foreach_target).
//
// Every run does exactly the operations of the scalar engine, in the same
// order, so that its numbers are the same to the last bit. Where the scalar
// engine branches on a value, the lanes compute both sides and select per
// lane, with the comparison written as the scalar code writes it (so that
// -0.0 and NaN take the same side). Nothing is fused or reordered: the build
// forbids contraction, and the sums run over haplotypes and demes in the
// scalar order. Whatever would raise a run-time error in any run ends the
// batch, which the caller then runs one run at a time.

// The paths: AVX-512 (Highway's AVX3), AVX2, and one lane on any x86-64.
#define HWY_DISABLED_TARGETS (HWY_SSSE3 | HWY_SSE4 | HWY_AVX3_DL)
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "lanes/LaneKernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "control/GenerationCycle.hpp"
#include "lanes/LaneBatch.hpp"
#include "lanes/LanePath.hpp"
#include "lanes/LaneUniforms.hpp"
#include "lanes/WideVector-inl.hpp"
#include "model/RuntimeError.hpp"

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace {

using V = wide::Vec;
using M = wide::Mask;

// Runs per batch on this path.
constexpr std::size_t kMaxLanes = wide::kWidth;

// An index of the tables below, which count from 1 as the scalar tables do.
constexpr std::size_t Ix(int index) {
  return static_cast<std::size_t>(index);
}
constexpr int kSlots = PopulationState::kMaxSlot + 1;
constexpr int kHaplotypes = PopulationState::kMaxHaplotype + 1;

class LaneCycle {
 public:
  LaneCycle(std::span<Engine> lanes, const RunInputs& inputs, const RunMode& mode, std::size_t runs)
      : lanes_(lanes),
        runs_(runs),
        inputs_(inputs),
        first_(lanes.front()),
        tables_(first_.tables),
        demes_(first_.params.Demes),
        count_(tables_.HaplotypeCount),
        finite_(!mode.InfinitePopulation && !inputs.switches.ExactSampling) {
    freq_.assign(Index(0, demes_ + 1, 0), 0.0);
    for (int deme = 1; deme <= demes_; ++deme) {
      for (int slot = 0; slot < kSlots; ++slot) {
        for (int h = 1; h <= count_; ++h) {
          for (std::size_t l = 0; l < kWidth; ++l) {
            freq_[Index(slot, deme, h) + l] = lanes_[l].population.Freq(slot, deme, h);
          }
        }
      }
    }
    std::array<UniformGenerator, kMaxLanes> generators{};
    for (std::size_t l = 0; l < kWidth; ++l) {
      generators[l] = lanes_[l].draw.generator;
      populationSize_[l] = lanes_[l].draw.PopulationSize;
    }
    uniforms_.Reset(runs_, generators.data());
    for (int r = 1; r <= tables_.AlleleCount; ++r) {
      for (int p = 1; p <= HaplotypeTables::kMaxCarrier; ++p) {
        carrier_[Ix(r)][Ix(p)] = tables_.Carrier(r, p);
      }
    }
    for (int h = 1; h <= count_; ++h) {
      for (int locus = 1; locus <= HaplotypeTables::kMaxLocus; ++locus) {
        alleleAt_[Ix(h)][Ix(locus)] = static_cast<std::size_t>(tables_.AlleleAt(h, locus));
      }
    }
    LoadSelection();
    for (int k = 1; k <= MutationCoefficients::kMax; ++k) {
      for (std::size_t l = 0; l < kWidth; ++l) mutation_[Ix(k)][l] = lanes_[l].mutation.At(k);
    }
  }

  bool failed() const { return failed_; }

  // One generation, as AdvanceGeneration up to its check of the
  // floating-point flags (FlagsRaised).
  void Advance(std::int16_t generation) {
    const RunSwitches& switches = inputs_.switches;
    if (switches.InversionOfS) VarySOfEveryRun(generation);
    if (failed_) return;
    if (switches.RecombForR) Recombine();
    if (switches.GeneticDrift) ApplyGeneticDrift();
    ApplySelection();
    ApplyMutation();
    DiffuseBetweenDemes();
  }

  // The floating-point flags are sticky: one look after the last generation
  // tells whether any generation of any run raised one.
  bool FlagsRaised() const {
    return std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != 0;
  }

  // The R+ and R- entries of the recorded table of deme 1 (the means over
  // demes when there are several), in the order RecordGeneration adds them.
  void Record(LaneHistory& history, std::int16_t generation) const {
    const int slot = demes_ <= 1 ? 0 : 3;
    for (std::size_t l = 0; l < static_cast<std::size_t>(history.runs); ++l) {
      double* row = history.Of(static_cast<int>(l), generation);
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= count_; ++h) *row++ = freq_[Index(slot + c, 1, h) + l];
      }
    }
  }

  // RecordGeneration's SexFrequency: the recorded R+ entries added from 0.
  void SetResults() {
    const int slot = demes_ <= 1 ? 0 : 3;
    for (std::size_t l = 0; l < kWidth; ++l) {
      double sum = 0.0;
      for (int h = 1; h <= count_; ++h) sum = sum + freq_[Index(slot, 1, h) + l];
      lanes_[l].recorder.SexFrequency = sum;
    }
  }

 private:
  HWY_INLINE std::size_t Index(int slot, int deme, int h) const {
    return ((static_cast<std::size_t>(deme) * kSlots + static_cast<std::size_t>(slot)) *
                kHaplotypes +
            static_cast<std::size_t>(h)) *
           kWidth;
  }
  HWY_INLINE V Load(int slot, int deme, int h) const {
    return wide::Load(freq_.data() + Index(slot, deme, h));
  }
  HWY_INLINE void Store(const V& value, int slot, int deme, int h) {
    wide::Store(value, freq_.data() + Index(slot, deme, h));
  }
  static V Constant(double value) { return wide::Set(value); }
  static V LoadLanes(const double* values) { return wide::Load(values); }
  void FailWhere(const M& where) {
    if (!wide::AllFalse(where)) failed_ = true;
  }

  // The selection coefficient of every haplotype, per run.
  void LoadSelection() {
    alignas(64) std::array<double, kMaxLanes> s{}, doubleMutant{}, tripleMutant{};
    for (std::size_t l = 0; l < kWidth; ++l) {
      s[l] = lanes_[l].params.S;
      doubleMutant[l] = lanes_[l].params.DoubleMutantSelection;
      tripleMutant[l] = lanes_[l].params.TripleMutantSelection;
    }
    for (int h = 2; h <= count_; ++h) {
      const double* source = s.data();
      if (tables_.AllelesNumber == 2) {
        if (h == 4) source = doubleMutant.data();
      } else if (h > 7) {
        source = tripleMutant.data();
      } else if (h > 4) {
        source = doubleMutant.data();
      }
      for (std::size_t l = 0; l < kWidth; ++l) selection_[Ix(h)][l] = source[l];
    }
  }

  void VarySOfEveryRun(std::int16_t generation) {
    try {
      for (std::size_t l = 0; l < kWidth; ++l) {
        lanes_[l].Generation = generation;
        VaryS(lanes_[l], inputs_);
      }
    } catch (const RuntimeError&) {
      failed_ = true;
      return;
    }
    LoadSelection();
  }

  // DrawFrequency for every run. `drawing` holds the runs that draw (all when
  // null); the others take no uniform numbers, and their result is unused.
  // With `reuse` every run draws with the pair of uniforms of its previous
  // draw.
  HWY_INLINE V Draw(const V& x, const bool* drawing = nullptr, bool reuse = false) {
    if (!finite_) return x;
    if (!reuse) {
      for (std::size_t l = 0; l < runs_; ++l) {
        if (drawing == nullptr || drawing[l]) uniforms_.Pair(l, uniform1_[l], uniform2_[l]);
      }
      for (std::size_t l = runs_; l < kWidth; ++l) {
        uniform1_[l] = uniform1_[0];
        uniform2_[l] = uniform2_[0];
      }
    }
    const V u1 = LoadLanes(uniform1_.data());
    const V u2 = LoadLanes(uniform2_.data());
    const V N = LoadLanes(populationSize_.data());
    const V zero = wide::Zero();
    const V one = Constant(1.0);
    const M negative = wide::Lt(x, zero);
    const V y = wide::IfThenElse(negative, wide::Neg(x), x);
    const V m = wide::Mul(y, N);
    const M whole = wide::Gt(y, one);  // y > 1: the count is m itself
    // Above one the root is not taken (its argument would be negative).
    const V root =
        wide::Sqrt(wide::IfThenElse(whole, zero, wide::Mul(wide::Mul(y, N), wide::Sub(one, y))));
    const M aboveOne = wide::Gt(m, one);
    const V moved =
        wide::IfThenElse(wide::Lt(u1, Constant(0.5)), wide::Sub(m, root), wide::Add(m, root));
    const V floor = wide::Floor(moved);
    const V fraction = wide::Sub(moved, floor);
    V count = wide::IfThenElse(aboveOne, floor, zero);
    const V rest = wide::IfThenElse(aboveOne, fraction, m);
    count = wide::IfThenElse(wide::Lt(u2, rest), wide::Add(count, one), count);
    count = wide::IfThenElse(whole, m, count);
    const V r = wide::Div(count, N);
    return wide::IfThenElse(negative, wide::Neg(r), r);
  }

  // NormaliseDeme: negative entries to 0, then division by the total, which
  // leaves a total of exactly 1 as it is (x / 1 is x).
  HWY_INLINE void Normalise(int deme, int firstSlot) {
    const V zero = wide::Zero();
    V total = zero;
    for (int k = firstSlot; k <= firstSlot + 1; ++k) {
      for (int h = 1; h <= count_; ++h) {
        V f = Load(k, deme, h);
        f = wide::IfThenElse(wide::Lt(f, zero), zero, f);
        Store(f, k, deme, h);
        total = wide::Add(total, f);
      }
    }
    const M empty = wide::Not(wide::Gt(total, zero));
    FailWhere(empty);
    const V divisor = wide::IfThenElse(empty, Constant(1.0), total);
    for (int k = firstSlot; k <= firstSlot + 1; ++k) {
      for (int h = 1; h <= count_; ++h) Store(wide::Div(Load(k, deme, h), divisor), k, deme, h);
    }
  }

  // AlleleSum: the carriers of `allele` in their listed order.
  HWY_INLINE V AlleleSum(int slot, int deme, int allele) const {
    V sum = wide::Add(Load(slot, deme, carrier_[Ix(allele)][1]),
                      Load(slot, deme, carrier_[Ix(allele)][2]));
    if (tables_.AllelesNumber == 3) {
      sum = wide::Add(sum, Load(slot, deme, carrier_[Ix(allele)][3]));
      sum = wide::Add(sum, Load(slot, deme, carrier_[Ix(allele)][4]));
    }
    return sum;
  }

  void Recombine() {
    const float z = first_.params.z;
    for (int deme = 1; deme <= demes_; ++deme) {
      if (z == 0.0F) {
        RecombineWithinSex(deme);
      } else if (z > 0.0F) {
        RecombineInPool(deme, z);
      }
      Normalise(deme, 0);
    }
  }

  void RecombineWithinSex(int deme) {
    std::array<V, HaplotypeTables::kMaxAllele + 1> allele;
    for (int r = 1; r <= tables_.AlleleCount; ++r) allele[Ix(r)] = AlleleSum(0, deme, r);
    V s0 = wide::Zero();
    for (int h = 1; h <= count_; ++h) s0 = wide::Add(s0, Load(0, deme, h));
    // A run whose R+ class is empty in this deme skips the step.
    const M active = wide::Gt(s0, wide::Zero());
    alignas(64) std::array<bool, kMaxLanes> drawing{};
    const bool all = wide::AllTrue(active);
    if (!all) wide::StoreFlags(active, drawing.data());
    const V total = wide::IfThenElse(active, s0, Constant(1.0));
    for (int h = 1; h <= count_; ++h) {
      V e = wide::Mul(allele[alleleAt_[Ix(h)][2]], allele[alleleAt_[Ix(h)][1]]);
      if (tables_.AllelesNumber == 3) {
        e = wide::Div(wide::Mul(e, allele[alleleAt_[Ix(h)][3]]), total);
      }
      const V f = Load(0, deme, h);
      const V x = wide::Sub(wide::Half(wide::Div(e, total)), wide::Half(f));
      const V drawn = wide::Add(Draw(x, all ? nullptr : drawing.data()), f);
      Store(wide::IfThenElse(active, drawn, f), 0, deme, h);
    }
  }

  void RecombineInPool(int deme, float z) {
    const V share = Constant(static_cast<double>(z));
    V s0 = wide::Zero();
    V s2 = wide::Zero();
    for (int h = 1; h <= count_; ++h) {
      s0 = wide::Add(s0, Load(0, deme, h));
      const V recombining = wide::Mul(share, Load(1, deme, h));
      Store(recombining, 2, deme, h);
      s2 = wide::Add(s2, recombining);
    }
    const V pool = wide::Add(s2, s0);
    std::array<V, HaplotypeTables::kMaxAllele + 1> allele;
    for (int r = 1; r <= tables_.AlleleCount; ++r) {
      allele[Ix(r)] = wide::Add(AlleleSum(2, deme, r), AlleleSum(0, deme, r));
    }
    const M empty = wide::Eq(pool, wide::Zero());
    FailWhere(empty);
    const V total = wide::IfThenElse(empty, Constant(1.0), pool);
    // The square is the C library's pow, as in the scalar engine.
    alignas(64) std::array<double, kMaxLanes> totals{}, squares{};
    wide::Store(total, totals.data());
    for (std::size_t l = 0; l < kWidth; ++l) squares[l] = std::pow(totals[l], 2);
    const V square = wide::Load(squares.data());
    for (int h = 1; h <= count_; ++h) {
      V e = wide::Mul(allele[alleleAt_[Ix(h)][2]], allele[alleleAt_[Ix(h)][1]]);
      e = wide::Div(e, square);
      if (tables_.AllelesNumber == 3) {
        e = wide::Div(wide::Mul(e, allele[alleleAt_[Ix(h)][3]]), total);
      }
      const V sex = Load(0, deme, h);
      const V xSex = wide::Sub(wide::Half(wide::Mul(e, s0)), wide::Half(sex));
      Store(wide::Add(Draw(xSex), sex), 0, deme, h);
      const V xAsex = wide::Sub(wide::Half(wide::Mul(e, s2)), wide::Half(Load(2, deme, h)));
      const V asex = Load(1, deme, h);
      Store(wide::Add(Draw(xAsex), asex), 1, deme, h);
    }
  }

  void ApplyGeneticDrift() {
    for (int deme = 1; deme <= demes_; ++deme) {
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= count_; ++h) Store(Draw(Load(c, deme, h)), c, deme, h);
      }
      Normalise(deme, 0);
    }
  }

  void ApplySelection() {
    for (int deme = 1; deme <= demes_; ++deme) {
      for (int c = 0; c <= 1; ++c) {
        for (int h = 2; h <= count_; ++h) {
          const V f = Load(c, deme, h);
          const V x = wide::Mul(f, LoadLanes(selection_[Ix(h)].data()));
          Store(wide::Add(Draw(x), f), c, deme, h);
        }
      }
      Normalise(deme, 0);
    }
  }

  // The transitions of a deme move frequency between its entries one after
  // another; with the table known at compile time the entries stay in
  // registers (or at fixed places on the stack) instead of going back and
  // forth through the frequency table at indices read from a table.
  void ApplyMutation() {
    if (count_ == 4) {
      MutateDemes<4>(kTransitions2);
    } else {
      MutateDemes<8>(kTransitions3);
    }
  }

  template <int kCount, std::size_t kRows>
  HWY_INLINE void MutateDemes(const std::int16_t (&transitions)[kRows][3]) {
    const bool shareUniforms = !inputs_.switches.TotalStochasticity;
    const V zero = wide::Zero();
    const V one = Constant(1.0);
    for (int deme = 1; deme <= demes_; ++deme) {
      V f[2][static_cast<std::size_t>(kCount) + 1];
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= kCount; ++h) f[c][h] = Load(c, deme, h);
      }
      // Every amount from the frequencies before the first move.
      V amount[kRows][2];
      for (std::size_t k = 1; k < kRows; ++k) {
        const V coefficient = LoadLanes(mutation_[Ix(transitions[k][2])].data());
        for (int c = 0; c <= 1; ++c) {
          const V x = wide::Mul(f[c][transitions[k][0]], coefficient);
          amount[k][c] = Draw(x, nullptr, shareUniforms && c == 1);
        }
      }
      for (std::size_t k = 1; k < kRows; ++k) {
        const int source = transitions[k][0];
        const int target = transitions[k][1];
        for (int c = 0; c <= 1; ++c) {
          const V to = wide::Add(f[c][target], amount[k][c]);
          f[c][target] = wide::IfThenElse(wide::Gt(to, one), one, to);
          const V from = wide::Sub(f[c][source], amount[k][c]);
          f[c][source] = wide::IfThenElse(wide::Lt(from, zero), zero, from);
        }
      }
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= kCount; ++h) Store(f[c][h], c, deme, h);
      }
      Normalise(deme, 0);
    }
  }

  void DiffuseBetweenDemes() {
    if (demes_ == 1) return;
    const V demes = Constant(static_cast<double>(demes_));
    const V diffusion = Constant(static_cast<double>(first_.params.Diffusion));
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= count_; ++h) {
        V sum = wide::Zero();
        for (int deme = 1; deme <= demes_; ++deme) sum = wide::Add(sum, Load(c, deme, h));
        Store(wide::Div(sum, demes), c + 3, 1, h);
        const V x = wide::Div(wide::Mul(diffusion, sum), demes);
        for (int deme = 1; deme <= demes_; ++deme) {
          Store(wide::Add(Load(c, deme, h), Draw(x)), c, deme, h);
        }
      }
    }
    for (int deme = 1; deme <= demes_; ++deme) Normalise(deme, 0);
    Normalise(1, 3);
  }

  std::span<Engine> lanes_;
  const std::size_t runs_;  // lanes from runs_ on repeat lane 0
  const RunInputs& inputs_;
  const Engine& first_;
  const HaplotypeTables& tables_;
  static constexpr std::size_t kWidth = wide::kWidth;
  const int demes_;
  const int count_;
  const bool finite_;
  bool failed_ = false;
  std::vector<double> freq_;
  std::array<std::array<double, kMaxLanes>, kHaplotypes> selection_{};
  std::array<std::array<double, kMaxLanes>, MutationCoefficients::kMax + 1> mutation_{};
  std::array<double, kMaxLanes> populationSize_{};
  // The haplotype tables as plain numbers (their readers check bounds).
  std::array<std::array<int, HaplotypeTables::kMaxCarrier + 1>, HaplotypeTables::kMaxAllele + 1>
      carrier_{};
  std::array<std::array<std::size_t, HaplotypeTables::kMaxLocus + 1>, kHaplotypes> alleleAt_{};
  alignas(64) std::array<double, kMaxLanes> uniform1_{};
  alignas(64) std::array<double, kMaxLanes> uniform2_{};
  LaneUniforms<kMaxLanes> uniforms_;
};

}  // namespace

LaneOutcome RunLaneBatchOnPath(std::span<Engine> lanes, const RunInputs& inputs,
                               const RunMode& mode, const std::atomic<bool>* stopRequested,
                               LaneHistory* history, int runs) {
  LaneCycle cycle(lanes, inputs, mode, static_cast<std::size_t>(runs));
  const std::int16_t lastGeneration = lanes.front().params.MaxGen;
  ClearFloatingPointFlags();
  for (std::int16_t generation = 1; generation <= lastGeneration; ++generation) {
    cycle.Advance(generation);
    if (cycle.failed()) return LaneOutcome::LeftToScalar;
    if (history != nullptr) cycle.Record(*history, generation);
    if (stopRequested != nullptr && stopRequested->load(std::memory_order_relaxed)) {
      throw StartStopped{};
    }
  }
  if (cycle.FlagsRaised()) return LaneOutcome::LeftToScalar;
  cycle.SetResults();
  return LaneOutcome::Finished;
}

int LaneWidthOnPath() {
  return static_cast<int>(wide::kWidth);
}

}  // namespace HWY_NAMESPACE
}  // namespace recmod
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace recmod {

// Highway compiles the kernel once per path into its own namespace (the
// baseline into that of the build's own target, HWY_NAMESPACE here); the path
// is chosen here, from LanePath, rather than through Highway's dispatch
// library, whose start-up work would cost every program start milliseconds.
bool LanePathCompiled(LanePath path) {
  switch (path) {
    case LanePath::Avx512:
      return (HWY_TARGETS & HWY_AVX3) != 0;
    case LanePath::Avx2:
      return (HWY_TARGETS & HWY_AVX2) != 0;
    case LanePath::Baseline:
    case LanePath::Scalar:
      break;
  }
  return true;
}

int LaneWidthOfPath(LanePath path) {
  switch (path) {
#if HWY_TARGETS & HWY_AVX3
    case LanePath::Avx512:
      return N_AVX3::LaneWidthOnPath();
#endif
#if HWY_TARGETS & HWY_AVX2
    case LanePath::Avx2:
      return N_AVX2::LaneWidthOnPath();
#endif
    default:
      return HWY_NAMESPACE::LaneWidthOnPath();
  }
}

LaneOutcome RunLaneBatchOfPath(LanePath path, std::span<Engine> lanes, const RunInputs& inputs,
                               const RunMode& mode, const std::atomic<bool>* stopRequested,
                               LaneHistory* history, int runs) {
  switch (path) {
#if HWY_TARGETS & HWY_AVX3
    case LanePath::Avx512:
      return N_AVX3::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history, runs);
#endif
#if HWY_TARGETS & HWY_AVX2
    case LanePath::Avx2:
      return N_AVX2::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history, runs);
#endif
    default:
      return HWY_NAMESPACE::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history, runs);
  }
}

}  // namespace recmod
#endif  // HWY_ONCE
