#include "model/HaplotypeTables.hpp"

#include <string>

#include "model/PopulationState.hpp"
#include "model/RuntimeError.hpp"

namespace recmod {

namespace {

constexpr const char* kLabels2[5] = {"", "ab", "Ab", "aB", "AB"};
constexpr const char* kLabels3[9] = {"", "abc", "Abc", "aBc", "abC", "ABc", "aBC", "AbC", "ABC"};

}  // namespace

void HaplotypeTables::ThrowIndexOutOfRange(const char* table, int value) {
  ThrowSubscriptOutOfRange(table, value);
}

namespace {

// Copies one locus count's tables; each constant table has a row per entry
// (row 0 unused) and, for carriers and alleles, column 0 unused.
template <std::size_t Alleles, std::size_t Carriers, std::size_t Haplotypes, std::size_t Loci,
          std::size_t Transitions>
void CopyTables(const std::int16_t (&carriers)[Alleles][Carriers],
                const std::int16_t (&alleles)[Haplotypes][Loci],
                const std::int16_t (&transitions)[Transitions][3], HaplotypeTables& tables) {
  tables.AlleleCount = static_cast<std::int16_t>(Alleles - 1);
  tables.HaplotypeCount = static_cast<std::int16_t>(Haplotypes - 1);
  tables.TransitionCount = static_cast<std::int16_t>(Transitions - 1);
  for (std::size_t r = 1; r < Alleles; ++r)
    for (std::size_t p = 1; p < Carriers; ++p) tables.AlleleCarriers[r][p] = carriers[r][p];
  for (std::size_t h = 1; h < Haplotypes; ++h)
    for (std::size_t l = 1; l < Loci; ++l) tables.HaplotypeAlleles[h][l] = alleles[h][l];
  for (std::size_t k = 1; k < Transitions; ++k)
    for (std::size_t c = 0; c < 3; ++c) tables.MutationTransitions[k][c + 1] = transitions[k][c];
}

}  // namespace

void BuildHaplotypeTables(std::int16_t allelesNumber, HaplotypeTables& tables) {
  tables.AllelesNumber = allelesNumber;
  if (allelesNumber == 2) {
    CopyTables(kCarriers2, kAlleles2, kTransitions2, tables);
  } else {
    CopyTables(kCarriers3, kAlleles3, kTransitions3, tables);
  }
}

std::string HaplotypeLabel(const HaplotypeTables& tables, int haplotype, int classSlot) {
  if (haplotype < 0 || haplotype > tables.HaplotypeCount) {
    ThrowSubscriptOutOfRange("haplotype label", haplotype);
  }
  std::string label = tables.AllelesNumber == 2 ? kLabels2[haplotype] : kLabels3[haplotype];
  if (classSlot == 1) label += "'";
  return label;
}

}  // namespace recmod
