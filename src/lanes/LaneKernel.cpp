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
//
// The cycle is compiled for two and for three loci and for N infinite and
// finite, so that the haplotype tables, the mutation transitions and the
// loops over haplotypes are known at compile time: a deme's entries then stay
// in registers from the load to the store of each step.

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
#include <type_traits>
#include <utility>
#include <vector>

#include "lanes/LaneBatch.hpp"
#include "lanes/LaneBinomial-inl.hpp"
#include "lanes/LanePath.hpp"
#include "lanes/LaneUniforms-inl.hpp"
#include "lanes/LaneVectors-inl.hpp"
#include "model/BinomialDraw.hpp"
#include "model/HaplotypeTables.hpp"
#include "model/MultinomialSampling.hpp"
#include "model/RuntimeError.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/RunInputs.hpp"

HWY_BEFORE_NAMESPACE();
namespace recmod {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;
using lanes::D;
using lanes::kPerVector;
using lanes::kWidth;
using lanes::M;
using lanes::V;

constexpr int kSlots = PopulationState::kMaxSlot + 1;
constexpr int kHaplotypes = PopulationState::kMaxHaplotype + 1;

// An index of the tables, which count from 1 as the scalar tables do.
constexpr std::size_t Ix(int index) {
  return static_cast<std::size_t>(index);
}

// The haplotype tables of two and three loci, known at compile time.
template <int kLoci>
struct Loci;
template <>
struct Loci<2> {
  static constexpr int kCount = 4;
  static constexpr int kAlleles = 4;
  static constexpr int kCarriers = 2;
  static constexpr const auto& carriers = kCarriers2;
  static constexpr const auto& alleleAt = kAlleles2;
  static constexpr const auto& transitions = kTransitions2;
};
template <>
struct Loci<3> {
  static constexpr int kCount = 8;
  static constexpr int kAlleles = 6;
  static constexpr int kCarriers = 4;
  static constexpr const auto& carriers = kCarriers3;
  static constexpr const auto& alleleAt = kAlleles3;
  static constexpr const auto& transitions = kTransitions3;
};

// Calls step(std::integral_constant<std::size_t, i>) for i = first .. last,
// unrolled, so that indices read from the constant tables are constants.
template <std::size_t kFirst, std::size_t kLast, typename Step>
HWY_INLINE void Unrolled(Step&& step) {
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (step(std::integral_constant<std::size_t, kFirst + I>{}), ...);
  }
  (std::make_index_sequence<kLast + 1 - kFirst>{});
}

// One entry of the frequency table for every run of the batch.
struct alignas(kWidth * sizeof(double) < 64 ? kWidth * sizeof(double) : 64) Entry {
  double run[kWidth];
};

// How a batch's population changes at random: not at all (N infinite, or
// exact sampling without drift, where every step applies its expected
// change), by the draw in every step, or by one multinomial sample in the
// drift step.
enum class Sampling { None, Draw, Exact };

template <int kLoci, Sampling kSampling>
class LaneCycle {
  // Whether every change passes through the draw, and whether the runs take
  // uniform numbers at all.
  static constexpr bool kDraws = kSampling == Sampling::Draw;
  static constexpr bool kStreams = kSampling != Sampling::None;
  using Tables = Loci<kLoci>;
  static constexpr int kCount = Tables::kCount;
  static constexpr std::size_t kEntries = static_cast<std::size_t>(Tables::kCount) + 1;
  // A deme's entries of two classes (R+ and R-, or their means), numbered
  // from 1 as haplotypes are.
  using Deme = V[2][kEntries];

 public:
  LaneCycle(std::span<Engine> lanes, const RunInputs& inputs)
      : lanes_(lanes), inputs_(inputs), first_(lanes.front()), demes_(first_.params.Demes) {
    freq_.resize(Index(0, demes_ + 1, 0));
    absorbedAt_.fill(-1);
    for (int deme = 1; deme <= demes_; ++deme) {
      for (int slot = 0; slot < kSlots; ++slot) {
        for (int h = 1; h <= kCount; ++h) {
          for (std::size_t l = 0; l < kWidth; ++l) {
            freq_[Index(slot, deme, h)].run[l] = lanes_[l].population.Freq(slot, deme, h);
          }
        }
      }
    }
    if constexpr (kStreams) {
      // Every lane draws from its own generator; the lanes beyond the last
      // run are copies of the first and repeat its numbers exactly.
      std::array<UniformGenerator, kWidth> generators{};
      for (std::size_t l = 0; l < kWidth; ++l) {
        generators[l] = lanes_[l].draw.generator;
        populationSize_[l] = lanes_[l].draw.PopulationSize;
        // A multinomial sample counts whole individuals; a run whose N is
        // below 1 ends in the scalar engine's error, and beyond 2^32 the
        // scalar engine's approximations draw (both one run at a time).
        const double whole = WholePopulationSize(populationSize_[l]);
        wholePopulation_[l] = whole;
        if (kSampling == Sampling::Exact && !(whole >= 1.0 && whole <= kBinomialExactLimit)) {
          failed_ = true;
        }
      }
      uniforms_.Reset(generators.data());
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
    if (switches.GeneticDrift) {
      if constexpr (kSampling == Sampling::Exact) {
        ApplyMultinomialDrift();
      } else {
        ApplyGeneticDrift();
      }
    }
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
        for (int h = 1; h <= kCount; ++h) *row++ = freq_[Index(slot + c, 1, h)].run[l];
      }
    }
  }

  // As RunGenerations in a finite population: the first generation after
  // which a class of the modifier has no carriers left in any deme.
  void NoteAbsorption(std::int16_t generation) {
    for (std::size_t l = 0; l < kWidth; ++l) {
      if (outcome_[l] != RunOutcome::Segregating) continue;
      bool sex = false;
      bool asex = false;
      for (int deme = 1; deme <= demes_; ++deme) {
        for (int h = 1; h <= kCount; ++h) {
          sex = sex || freq_[Index(0, deme, h)].run[l] != 0.0;
          asex = asex || freq_[Index(1, deme, h)].run[l] != 0.0;
        }
      }
      if (sex == asex) continue;
      outcome_[l] = sex ? RunOutcome::Fixed : RunOutcome::Lost;
      absorbedAt_[l] = generation;
    }
  }

  // RecordGeneration's SexFrequency: the recorded R+ entries added from 0.
  void SetResults() {
    const int slot = demes_ <= 1 ? 0 : 3;
    for (std::size_t l = 0; l < kWidth; ++l) {
      double sum = 0.0;
      for (int h = 1; h <= kCount; ++h) sum = sum + freq_[Index(slot, 1, h)].run[l];
      lanes_[l].SexFrequency = sum;
      lanes_[l].Outcome = outcome_[l];
      lanes_[l].AbsorbedAt = absorbedAt_[l];
    }
  }

 private:
  static std::size_t Index(int slot, int deme, int h) {
    return (static_cast<std::size_t>(deme) * kSlots + static_cast<std::size_t>(slot)) *
               kHaplotypes +
           static_cast<std::size_t>(h);
  }
  HWY_INLINE double* At(int slot, int deme, int h, std::size_t part) {
    return freq_[Index(slot, deme, h)].run + part * kPerVector;
  }
  HWY_INLINE V Load(int slot, int deme, int h, std::size_t part) {
    return hn::Load(D(), At(slot, deme, h, part));
  }
  HWY_INLINE void Store(V value, int slot, int deme, int h, std::size_t part) {
    hn::Store(value, D(), At(slot, deme, h, part));
  }
  // The entries of slots firstSlot and firstSlot + 1 of a deme.
  HWY_INLINE void LoadDeme(Deme& f, int firstSlot, int deme, std::size_t part) {
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= kCount; ++h) f[c][h] = Load(firstSlot + c, deme, h, part);
    }
  }
  HWY_INLINE void StoreDeme(const Deme& f, int firstSlot, int deme, std::size_t part) {
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= kCount; ++h) Store(f[c][h], firstSlot + c, deme, h, part);
    }
  }
  template <std::size_t kLanes>
  static HWY_INLINE V LoadPart(const std::array<double, kLanes>& values, std::size_t part) {
    return hn::Load(D(), values.data() + part * kPerVector);
  }

  // The selection coefficient of every haplotype, per run.
  void LoadSelection() {
    for (int h = 2; h <= kCount; ++h) {
      for (std::size_t l = 0; l < kWidth; ++l) {
        const ModelParameters& params = lanes_[l].params;
        double coefficient = params.S;
        if (kLoci == 2) {
          if (h == 4) coefficient = params.DoubleMutantSelection;
        } else if (h > 7) {
          coefficient = params.TripleMutantSelection;
        } else if (h > 4) {
          coefficient = params.DoubleMutantSelection;
        }
        selection_[Ix(h)][l] = coefficient;
      }
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

  // DrawFrequency for the runs of one vector. Only the runs where `drawing`
  // holds take uniform numbers; the others' result is unused. With `reuse`
  // every run draws with the pair of uniforms of its previous draw.
  HWY_INLINE V Draw(V x, std::size_t part, bool reuse = false) {
    return Draw(x, part, hn::FirstN(D(), kPerVector), reuse);
  }
  HWY_INLINE V Draw(V x, std::size_t part, M drawing, bool reuse = false) {
    if constexpr (!kDraws) {
      (void)part;
      (void)drawing;
      (void)reuse;
      return x;
    } else {
      return DrawCount(x, part, drawing, reuse);
    }
  }

  // The draw of a finite population, out of line: it is called from many
  // places, and its body is long.
  HWY_NOINLINE V DrawCount(V x, std::size_t part, M drawing, bool reuse) {
    // The pair is used from registers and kept for a draw that reuses it: a
    // load of the copy just stored would wait for the store.
    V u1 = uniform1_[part];
    V u2 = uniform2_[part];
    if (!reuse) {
      uniforms_.Pair(part, drawing, u1, u2);
      uniform1_[part] = u1;
      uniform2_[part] = u2;
    }
    const V N = LoadPart(populationSize_, part);
    const V zero = hn::Zero(D());
    const V one = hn::Set(D(), 1.0);
    const M negative = hn::Lt(x, zero);
    const V y = hn::IfThenElse(negative, hn::Neg(x), x);
    const V m = hn::Mul(y, N);
    const M whole = hn::Gt(y, one);  // y > 1: the count is m itself
    const M aboveOne = hn::Gt(m, one);
    // The root and the division are the slow operations of a draw, and the
    // unit that does them is shared: they are left out when no run of the
    // vector needs them (rare classes, whose mean count is at most one and
    // whose count is mostly 0). Above one the root is not taken (its
    // argument would be negative).
    V count = zero;
    V rest = m;
    if (!hn::AllFalse(D(), hn::AndNot(whole, aboveOne))) {
      const V root = hn::Sqrt(hn::IfThenElse(whole, zero, hn::Mul(hn::Mul(y, N), hn::Sub(one, y))));
      const V moved =
          hn::IfThenElse(hn::Lt(u1, hn::Set(D(), 0.5)), hn::Sub(m, root), hn::Add(m, root));
      const V floor = hn::Floor(moved);
      const V fraction = hn::Sub(moved, floor);
      count = hn::IfThenElse(aboveOne, floor, zero);
      rest = hn::IfThenElse(aboveOne, fraction, m);
    }
    count = hn::IfThenElse(hn::Lt(u2, rest), hn::Add(count, one), count);
    count = hn::IfThenElse(whole, m, count);
    // 0 / N is +0 (N is at least 1): no division when every count is +0.
    using DU = hn::RebindToUnsigned<D>;
    const bool allNone = hn::AllFalse(DU(), hn::Ne(hn::BitCast(DU(), count), hn::Zero(DU())));
    const V r = allNone ? zero : hn::Div(count, N);
    return hn::IfThenElse(negative, hn::Neg(r), r);
  }

  // NormaliseDeme on a deme held in registers: negative entries to 0, then
  // division by the total, which leaves a total of exactly 1 as it is
  // (x / 1 is x).
  HWY_INLINE void Normalise(Deme& f) {
    const V zero = hn::Zero(D());
    V total = zero;
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= kCount; ++h) {
        f[c][h] = lanes::AtLeastZero(f[c][h]);
        total = hn::Add(total, f[c][h]);
      }
    }
    const M empty = hn::Not(hn::Gt(total, zero));
    if (!hn::AllFalse(D(), empty)) failed_ = true;
    const V divisor = hn::IfThenElse(empty, hn::Set(D(), 1.0), total);
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= kCount; ++h) f[c][h] = hn::Div(f[c][h], divisor);
    }
  }

  // AlleleSum: the carriers of allele r in their listed order.
  template <std::size_t r>
  static HWY_INLINE V AlleleSum(const V (&f)[kEntries]) {
    constexpr auto& carriers = Tables::carriers[r];
    V sum = hn::Add(f[carriers[1]], f[carriers[2]]);
    if constexpr (Tables::kCarriers == 4) {
      sum = hn::Add(sum, f[carriers[3]]);
      sum = hn::Add(sum, f[carriers[4]]);
    }
    return sum;
  }

  void Recombine() {
    const float z = first_.params.z;
    for (int deme = 1; deme <= demes_; ++deme) {
      for (std::size_t part = 0; part < lanes::kParts; ++part) {
        Deme f;
        LoadDeme(f, 0, deme, part);
        if (z == 0.0F) {
          RecombineWithinSex(f, part);
        } else if (z > 0.0F) {
          RecombineInPool(f, part, z);
        }
        Normalise(f);
        StoreDeme(f, 0, deme, part);
      }
    }
  }

  void RecombineWithinSex(Deme& f, std::size_t part) {
    V allele[static_cast<std::size_t>(Tables::kAlleles) + 1];
    Unrolled<1, Tables::kAlleles>([&](auto r) { allele[r] = AlleleSum<r>(f[0]); });
    V s0 = hn::Zero(D());
    for (int h = 1; h <= kCount; ++h) s0 = hn::Add(s0, f[0][h]);
    // A run whose R+ class is empty in this deme skips the step.
    const M active = hn::Gt(s0, hn::Zero(D()));
    const V total = hn::IfThenElse(active, s0, hn::Set(D(), 1.0));
    Unrolled<1, kCount>([&](auto h) {
      constexpr auto& at = Tables::alleleAt[h];
      V e = hn::Mul(allele[at[2]], allele[at[1]]);
      if constexpr (kLoci == 3) e = hn::Div(hn::Mul(e, allele[at[3]]), total);
      const V x = hn::Sub(lanes::Half(hn::Div(e, total)), lanes::Half(f[0][h]));
      const V drawn = hn::Add(Draw(x, part, active), f[0][h]);
      f[0][h] = hn::IfThenElse(active, drawn, f[0][h]);
    });
  }

  void RecombineInPool(Deme& f, std::size_t part, float z) {
    const V share = hn::Set(D(), static_cast<double>(z));
    V s0 = hn::Zero(D());
    V s2 = hn::Zero(D());
    V pool[kEntries];  // the recombining share of R-
    for (int h = 1; h <= kCount; ++h) {
      s0 = hn::Add(s0, f[0][h]);
      pool[h] = hn::Mul(share, f[1][h]);
      s2 = hn::Add(s2, pool[h]);
    }
    const V sum = hn::Add(s2, s0);
    V allele[static_cast<std::size_t>(Tables::kAlleles) + 1];
    Unrolled<1, Tables::kAlleles>(
        [&](auto r) { allele[r] = hn::Add(AlleleSum<r>(pool), AlleleSum<r>(f[0])); });
    const M empty = hn::Eq(sum, hn::Zero(D()));
    if (!hn::AllFalse(D(), empty)) failed_ = true;
    const V total = hn::IfThenElse(empty, hn::Set(D(), 1.0), sum);
    // The square is the C library's pow, as in the scalar engine.
    HWY_ALIGN double squares[kPerVector];
    hn::Store(total, D(), squares);
    for (double& square : squares) square = std::pow(square, 2);
    const V square = hn::Load(D(), squares);
    Unrolled<1, kCount>([&](auto h) {
      constexpr auto& at = Tables::alleleAt[h];
      V e = hn::Div(hn::Mul(allele[at[2]], allele[at[1]]), square);
      if constexpr (kLoci == 3) e = hn::Div(hn::Mul(e, allele[at[3]]), total);
      const V xSex = hn::Sub(lanes::Half(hn::Mul(e, s0)), lanes::Half(f[0][h]));
      f[0][h] = hn::Add(Draw(xSex, part), f[0][h]);
      const V xAsex = hn::Sub(lanes::Half(hn::Mul(e, s2)), lanes::Half(pool[h]));
      f[1][h] = hn::Add(Draw(xAsex, part), f[1][h]);
    });
  }

  void ApplyGeneticDrift() {
    for (int deme = 1; deme <= demes_; ++deme) {
      for (std::size_t part = 0; part < lanes::kParts; ++part) {
        Deme f;
        LoadDeme(f, 0, deme, part);
        for (int c = 0; c <= 1; ++c) {
          for (int h = 1; h <= kCount; ++h) f[c][h] = Draw(f[c][h], part);
        }
        Normalise(f);
        StoreDeme(f, 0, deme, part);
      }
    }
  }

  // ApplyMultinomialDrift: each deme's entries of slots 0 and 1 become one
  // multinomial sample of N individuals, a chain of binomials in the order
  // of the entries, each taking its share of the individuals the entries
  // before it left; a run takes no numbers for an entry without share or
  // once no individuals are left.
  void ApplyMultinomialDrift() {
    constexpr int kChain = 2 * kCount;
    const V zero = hn::Zero(D());
    const V one = hn::Set(D(), 1.0);
    for (int deme = 1; deme <= demes_; ++deme) {
      for (std::size_t part = 0; part < lanes::kParts; ++part) {
        Deme f;
        LoadDeme(f, 0, deme, part);
        auto entry = [&](int i) -> V& { return f[i / kCount][1 + i % kCount]; };
        // fmax(f, 0): NaN and both zeros count as no share.
        auto share = [&](int i) { return hn::IfThenElse(hn::Gt(entry(i), zero), entry(i), zero); };
        V shareFrom[Ix(kChain) + 1];
        shareFrom[Ix(kChain)] = zero;
        for (int i = kChain - 1; i >= 0; --i) {
          shareFrom[Ix(i)] = hn::Add(shareFrom[Ix(i) + 1], share(i));
        }
        const V N = LoadPart(wholePopulation_, part);
        V remaining = N;
        lanes::LaneBinomials binomials(uniforms_, part);
        for (int i = 0; i < kChain; ++i) {
          const V s = share(i);
          const M drawing = hn::And(hn::Gt(remaining, zero), hn::Gt(s, zero));
          const V p = hn::Min(one, hn::Div(s, hn::IfThenElse(drawing, shareFrom[Ix(i)], one)));
          const V k = binomials.Draw(drawing, remaining, p);
          remaining = hn::Sub(remaining, k);
          entry(i) = hn::Div(k, N);
        }
        Normalise(f);
        StoreDeme(f, 0, deme, part);
      }
    }
  }

  void ApplySelection() {
    for (int deme = 1; deme <= demes_; ++deme) {
      for (std::size_t part = 0; part < lanes::kParts; ++part) {
        Deme f;
        LoadDeme(f, 0, deme, part);
        for (int c = 0; c <= 1; ++c) {
          for (int h = 2; h <= kCount; ++h) {
            const V x = hn::Mul(f[c][h], LoadPart(selection_[Ix(h)], part));
            f[c][h] = hn::Add(Draw(x, part), f[c][h]);
          }
        }
        Normalise(f);
        StoreDeme(f, 0, deme, part);
      }
    }
  }

  // Every amount comes from the frequencies before the first move; the moves
  // then follow one another in the order of the transitions, each clamped.
  void ApplyMutation() {
    constexpr auto& transitions = Tables::transitions;
    constexpr std::size_t kRows = std::extent_v<std::remove_reference_t<decltype(transitions)>>;
    const bool shareUniforms = !inputs_.switches.TotalStochasticity;
    for (int deme = 1; deme <= demes_; ++deme) {
      for (std::size_t part = 0; part < lanes::kParts; ++part) {
        Deme f;
        LoadDeme(f, 0, deme, part);
        if constexpr (kDraws) {
          // The draws in the scalar order: transition by transition, R+
          // before R-. The draws dominate here, so plain loops serve.
          V amount[kRows][2];
          for (std::size_t k = 1; k < kRows; ++k) {
            const V coefficient = LoadPart(mutation_[Ix(transitions[k][2])], part);
            for (int c = 0; c <= 1; ++c) {
              const V x = hn::Mul(f[c][Ix(transitions[k][0])], coefficient);
              amount[k][c] = Draw(x, part, shareUniforms && c == 1);
            }
          }
          for (std::size_t k = 1; k < kRows; ++k) {
            for (int c = 0; c <= 1; ++c) {
              Move(f[c], Ix(transitions[k][0]), Ix(transitions[k][1]), amount[k][c]);
            }
          }
        } else {
          // Every amount from the entries before the moves, which the table
          // still holds; the classes side by side, so that the processor
          // overlaps their chains of moves.
          Unrolled<1, kRows - 1>([&](auto k) {
            constexpr int source = transitions[k][0];
            constexpr std::size_t target = Ix(transitions[k][1]);
            const V coefficient = LoadPart(mutation_[Ix(transitions[k][2])], part);
            for (int c = 0; c <= 1; ++c) {
              const V amount = hn::Mul(Load(c, deme, source, part), coefficient);
              Move(f[c], Ix(source), target, amount);
            }
          });
        }
        Normalise(f);
        StoreDeme(f, 0, deme, part);
      }
    }
  }

  // One transition's move of `amount` from its source to its target (with
  // constant indices, the entries stay in registers).
  static HWY_INLINE void Move(V (&f)[kEntries], std::size_t source, std::size_t target, V amount) {
    f[target] = lanes::AtMostOne(hn::Add(f[target], amount));
    f[source] = lanes::AtLeastZero(hn::Sub(f[source], amount));
  }

  void DiffuseBetweenDemes() {
    if (demes_ == 1) return;
    const V demes = hn::Set(D(), static_cast<double>(demes_));
    const V diffusion = hn::Set(D(), static_cast<double>(first_.params.Diffusion));
    for (std::size_t part = 0; part < lanes::kParts; ++part) {
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= kCount; ++h) {
          V sum = hn::Zero(D());
          for (int deme = 1; deme <= demes_; ++deme) sum = hn::Add(sum, Load(c, deme, h, part));
          Store(hn::Div(sum, demes), c + 3, 1, h, part);
          const V x = hn::Div(hn::Mul(diffusion, sum), demes);
          for (int deme = 1; deme <= demes_; ++deme) {
            Store(hn::Add(Load(c, deme, h, part), Draw(x, part)), c, deme, h, part);
          }
        }
      }
      for (int deme = 1; deme <= demes_; ++deme) NormaliseStored(0, deme, part);
      NormaliseStored(3, 1, part);
    }
  }

  HWY_INLINE void NormaliseStored(int firstSlot, int deme, std::size_t part) {
    Deme f;
    LoadDeme(f, firstSlot, deme, part);
    Normalise(f);
    StoreDeme(f, firstSlot, deme, part);
  }

  std::span<Engine> lanes_;
  const RunInputs& inputs_;
  const Engine& first_;
  const int demes_;
  bool failed_ = false;
  std::vector<Entry> freq_;
  alignas(64) std::array<std::array<double, kWidth>, kHaplotypes> selection_{};
  alignas(64) std::array<std::array<double, kWidth>, MutationCoefficients::kMax + 1> mutation_{};
  alignas(64) std::array<double, kWidth> populationSize_{};
  alignas(64) std::array<double, kWidth> wholePopulation_{};
  std::array<RunOutcome, kWidth> outcome_{};
  std::array<std::int16_t, kWidth> absorbedAt_{};
  // Every vector's pair of uniforms of its last draw.
  V uniform1_[lanes::kParts];
  V uniform2_[lanes::kParts];
  lanes::LaneUniforms uniforms_;
};

template <int kLoci, Sampling kSampling>
LaneOutcome RunCycle(std::span<Engine> lanes, const RunInputs& inputs, bool finite,
                     const std::atomic<bool>* stopRequested, LaneHistory* history) {
  LaneCycle<kLoci, kSampling> cycle(lanes, inputs);
  if (cycle.failed()) return LaneOutcome::LeftToScalar;
  const std::int16_t lastGeneration = lanes.front().params.MaxGen;
  if (finite) cycle.NoteAbsorption(0);
  ClearFloatingPointFlags();
  for (std::int16_t generation = 1; generation <= lastGeneration; ++generation) {
    cycle.Advance(generation);
    if (cycle.failed()) return LaneOutcome::LeftToScalar;
    if (finite) cycle.NoteAbsorption(generation);
    if (history != nullptr) cycle.Record(*history, generation);
    if (stopRequested != nullptr && stopRequested->load(std::memory_order_relaxed)) {
      throw StartStopped{};
    }
  }
  if (cycle.FlagsRaised()) return LaneOutcome::LeftToScalar;
  cycle.SetResults();
  return LaneOutcome::Finished;
}

}  // namespace

LaneOutcome RunLaneBatchOnPath(std::span<Engine> lanes, const RunInputs& inputs,
                               const RunMode& mode, const std::atomic<bool>* stopRequested,
                               LaneHistory* history) {
  const bool finite = !mode.InfinitePopulation;
  const bool multinomial = finite && inputs.switches.ExactSampling;
  const bool draws = finite && !inputs.switches.ExactSampling;
  auto run = [&]<int kLoci>() {
    if (draws)
      return RunCycle<kLoci, Sampling::Draw>(lanes, inputs, finite, stopRequested, history);
    if (multinomial && inputs.switches.GeneticDrift) {
      return RunCycle<kLoci, Sampling::Exact>(lanes, inputs, finite, stopRequested, history);
    }
    return RunCycle<kLoci, Sampling::None>(lanes, inputs, finite, stopRequested, history);
  };
  if (lanes.front().tables.AllelesNumber == 2) return run.template operator()<2>();
  return run.template operator()<3>();
}

int LaneWidthOnPath() {
  return static_cast<int>(kWidth);
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
                               LaneHistory* history) {
  switch (path) {
#if HWY_TARGETS & HWY_AVX3
    case LanePath::Avx512:
      return N_AVX3::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history);
#endif
#if HWY_TARGETS & HWY_AVX2
    case LanePath::Avx2:
      return N_AVX2::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history);
#endif
    default:
      return HWY_NAMESPACE::RunLaneBatchOnPath(lanes, inputs, mode, stopRequested, history);
  }
}

}  // namespace recmod
#endif  // HWY_ONCE
