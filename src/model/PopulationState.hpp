#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/HaplotypeTables.hpp"
#include "model/RuntimeError.hpp"

namespace recmod {

[[noreturn]] void ThrowSubscriptOutOfRange(const char* table, int index);

// The frequency table of the population, Freq(slot, deme, haplotype), with
// declared bounds 0..4 x 0..100 x 0..8. Slot 0 is the R+ ("Sex") class, slot 1
// the R- ("Asex") class, slot 2 the recombining share of R- (work slot of the
// recombination step), slots 3 and 4 of deme 1 the means over all demes.
// Index 0 of the deme and haplotype dimensions is never used.
struct PopulationState {
  static constexpr int kMaxSlot = 4;
  static constexpr int kMaxDeme = 100;
  static constexpr int kMaxHaplotype = 8;
  static constexpr int kMaxAllele = 6;

  // Deme-major storage keeps the slots of one deme together in memory.
  std::array<double, (kMaxDeme + 1) * (kMaxSlot + 1) * (kMaxHaplotype + 1)> FreqTable{};
  // Work vector of allele masses, indexed by allele index 0..6.
  std::array<double, kMaxAllele + 1> AlleleFreqTable{};

  double& Freq(int slot, int deme, int haplotype) {
    return FreqTable[Offset(slot, deme, haplotype)];
  }
  double Freq(int slot, int deme, int haplotype) const {
    return FreqTable[Offset(slot, deme, haplotype)];
  }
  double& AlleleFreq(int allele) {
    if (allele < 0 || allele > kMaxAllele) ThrowSubscriptOutOfRange("AlleleFreq", allele);
    return AlleleFreqTable[static_cast<std::size_t>(allele)];
  }
  double AlleleFreq(int allele) const {
    if (allele < 0 || allele > kMaxAllele) ThrowSubscriptOutOfRange("AlleleFreq", allele);
    return AlleleFreqTable[static_cast<std::size_t>(allele)];
  }

  // Sets every entry of Freq to 0.
  void ClearFreq() { FreqTable.fill(0.0); }
  // Sets every entry of demes 0 .. lastDeme to 0, all a run with that many
  // demes reads; cheaper than ClearFreq by the demes a run does not have.
  void ClearDemes(int lastDeme) {
    // Deme-major storage: demes 0 .. lastDeme are the front of the table.
    const int demes = std::clamp(lastDeme, 0, kMaxDeme) + 1;
    const auto entries = static_cast<std::ptrdiff_t>(demes * (kMaxSlot + 1) * (kMaxHaplotype + 1));
    std::fill(FreqTable.begin(), FreqTable.begin() + entries, 0.0);
  }

 private:
  static std::size_t Offset(int slot, int deme, int haplotype) {
    if (slot < 0 || slot > kMaxSlot) ThrowSubscriptOutOfRange("Freq slot", slot);
    if (deme < 0 || deme > kMaxDeme) ThrowSubscriptOutOfRange("Freq deme", deme);
    if (haplotype < 0 || haplotype > kMaxHaplotype)
      ThrowSubscriptOutOfRange("Freq haplotype", haplotype);
    return static_cast<std::size_t>((deme * (kMaxSlot + 1) + slot) * (kMaxHaplotype + 1) +
                                    haplotype);
  }
};

// Sum of Freq(slot, deme, h) over the carriers h of `allele`, in the listed
// order of AlleleCarriers (carriers 1, 2 and, with three loci, 3, 4).
double AlleleSum(const PopulationState& population, const HaplotypeTables& tables, int slot,
                 int deme, int allele);

// The linkage-equilibrium product for `haplotype` from AlleleFreq: with mode
// -1 the product of AlleleFreq(r) / total over the loci; with mode 0, a1 x a2
// (two loci) or a1 x a2 x a3 / total (three loci).
double EquilibriumProduct(const PopulationState& population, const HaplotypeTables& tables,
                          int haplotype, double total, int mode);

}  // namespace recmod
