#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace recmod {

// Numbering of alleles, haplotypes and mutation transitions for two or three
// loci. Allele indexes: two loci a=1 b=2 A=3 B=4; three loci a=1 b=2 c=3 A=4
// B=5 C=6. Haplotypes: two loci ab, Ab, aB, AB; three loci abc, Abc, aBc, abC,
// ABc, aBC, AbC, ABC (note 6 = aBC and 7 = AbC). The R- class uses the same
// numbers with a trailing prime.
struct HaplotypeTables {
  static constexpr int kMaxAllele = 6;
  static constexpr int kMaxCarrier = 4;
  static constexpr int kMaxHaplotype = 8;
  static constexpr int kMaxLocus = 3;
  static constexpr int kMaxTransition = 38;

  std::int16_t AllelesNumber = 0;  // the number of loci the tables were built for
  std::int16_t AlleleCount = 0;
  std::int16_t HaplotypeCount = 0;
  std::int16_t TransitionCount = 0;

  // Declared bounds 0..6 x 0..4: the haplotypes carrying each allele.
  std::array<std::array<std::int16_t, kMaxCarrier + 1>, kMaxAllele + 1> AlleleCarriers{};
  // Declared bounds 0..8 x 0..3: the allele each haplotype carries at each locus.
  std::array<std::array<std::int16_t, kMaxLocus + 1>, kMaxHaplotype + 1> HaplotypeAlleles{};
  // Declared bounds 0..38 x 0..3: source, target, coefficient index.
  std::array<std::array<std::int16_t, 4>, kMaxTransition + 1> MutationTransitions{};

  // Bounds-checked readers (an index outside the declared bounds is a
  // "Subscript out of range" error). Inline: the model steps call them for
  // every haplotype and transition of every deme.
  std::int16_t Carrier(int allele, int position) const {
    CheckIndex(allele, kMaxAllele, "AlleleCarriers");
    CheckIndex(position, kMaxCarrier, "AlleleCarriers");
    return AlleleCarriers[static_cast<std::size_t>(allele)][static_cast<std::size_t>(position)];
  }
  std::int16_t AlleleAt(int haplotype, int locus) const {
    CheckIndex(haplotype, kMaxHaplotype, "HaplotypeAlleles");
    CheckIndex(locus, kMaxLocus, "HaplotypeAlleles");
    return HaplotypeAlleles[static_cast<std::size_t>(haplotype)][static_cast<std::size_t>(locus)];
  }
  std::int16_t TransitionSource(int row) const { return TransitionEntry(row, 1); }
  std::int16_t TransitionTarget(int row) const { return TransitionEntry(row, 2); }
  std::int16_t TransitionCoefficient(int row) const { return TransitionEntry(row, 3); }

 private:
  static void CheckIndex(int value, int upper, const char* table) {
    if (value < 0 || value > upper) [[unlikely]]
      ThrowIndexOutOfRange(table, value);
  }
  [[noreturn]] static void ThrowIndexOutOfRange(const char* table, int value);
  std::int16_t TransitionEntry(int row, int column) const {
    CheckIndex(row, kMaxTransition, "MutationTransitions");
    return MutationTransitions[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
};

// The carriers of each allele (row per allele, column 0 unused) and the allele
// at each locus of each haplotype (row per haplotype, column 0 unused), for
// two and three loci.
inline constexpr std::int16_t kCarriers2[5][3] = {
    {0, 0, 0}, {0, 1, 3}, {0, 1, 2}, {0, 2, 4}, {0, 3, 4}};
inline constexpr std::int16_t kAlleles2[5][3] = {
    {0, 0, 0}, {0, 1, 2}, {0, 3, 2}, {0, 1, 4}, {0, 3, 4}};
inline constexpr std::int16_t kCarriers3[7][5] = {{0, 0, 0, 0, 0}, {0, 1, 3, 4, 6}, {0, 1, 2, 4, 7},
                                                  {0, 1, 2, 3, 5}, {0, 2, 5, 7, 8}, {0, 3, 5, 6, 8},
                                                  {0, 4, 6, 7, 8}};
inline constexpr std::int16_t kAlleles3[9][4] = {{0, 0, 0, 0}, {0, 1, 2, 3}, {0, 4, 2, 3},
                                                 {0, 1, 5, 3}, {0, 1, 2, 6}, {0, 4, 5, 3},
                                                 {0, 1, 5, 6}, {0, 4, 2, 6}, {0, 4, 5, 6}};

// The mutation transitions of two and three loci: source, target and
// coefficient index per row (row 0 unused), as MutationTransitions holds them.
inline constexpr std::int16_t kTransitions2[11][3] = {{0, 0, 0}, {2, 4, 1}, {3, 4, 1}, {1, 2, 2},
                                                      {1, 3, 2}, {1, 4, 3}, {2, 1, 4}, {3, 1, 4},
                                                      {4, 2, 5}, {4, 3, 5}, {4, 1, 6}};
inline constexpr std::int16_t kTransitions3[39][3] = {
    {0, 0, 0},  {5, 8, 1},  {6, 8, 1},  {7, 8, 1},  {2, 5, 2},  {2, 7, 2},  {3, 5, 2}, {3, 6, 2},
    {4, 6, 2},  {4, 7, 2},  {2, 8, 3},  {3, 8, 3},  {4, 8, 3},  {1, 2, 4},  {1, 3, 4}, {1, 4, 4},
    {1, 5, 5},  {1, 6, 5},  {1, 7, 5},  {1, 8, 6},  {2, 1, 7},  {3, 1, 7},  {4, 1, 7}, {5, 2, 8},
    {5, 3, 8},  {6, 3, 8},  {6, 4, 8},  {7, 2, 8},  {7, 4, 8},  {5, 1, 9},  {6, 1, 9}, {7, 1, 9},
    {8, 5, 10}, {8, 6, 10}, {8, 7, 10}, {8, 2, 11}, {8, 3, 11}, {8, 4, 11}, {8, 1, 12}};

// Fills the tables for `allelesNumber` loci: 2 gives the two-locus tables, any
// other value the three-locus ones. Entries outside the ranges in use keep what
// they held, exactly as a switch from three loci to two leaves them.
void BuildHaplotypeTables(std::int16_t allelesNumber, HaplotypeTables& tables);

// "ab", "Ab", ... for slot 0 (R+), with a trailing prime for slot 1 (R-).
std::string HaplotypeLabel(const HaplotypeTables& tables, int haplotype, int classSlot);

}  // namespace recmod
