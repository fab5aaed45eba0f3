#include "ui/FieldCatalogue.hpp"

#include <array>

namespace recmod {

namespace {

constexpr std::array<FieldEntry, 28> kFields = {{
    {0, "u", "u (from 1e-10 to 1e-4)", true},
    {1, "w", "w (from 1e-10 to 1e-4)", true},
    {2, "S", "S (from -1 to 1)", true},
    {3, "K", "K (epistasis: from 0.6 to 1.4; if >1 sex disadv.)", true},
    {4, "a", "Start frequency of a (from 0 to 1)", true},
    {5, "b", "Start frequency of b (from 0 to 1)", true},
    {6, "c", "Start frequency of c (from 0 to 1)", true},
    {7, "z", "z value (fract. of R- recombining; from 0 to 1)", true},
    {8, "iterations", "No. iterations (from 1 to 10000)", true},
    {9, "log10n", "Log10(N) value (from 1 to 20)", true},
    {10, "demes", "No. of demes (from 1 to 100)", true},
    {11, "diffusion", "Interdemic diffusion of genes (from 0 to 1)", true},
    {12, "inversion-period", "Inversion of S value (from 10 to 10000)", true},
    {13, "ab", "ab (from 0 to 1)", true},
    {14, "Ab", "aB (from 0 to 1)", true},
    {15, "aB", "aB (from 0 to 1)", true},
    {16, "AB", "AB (from 0 to 1)", true},
    {17, "maxgen", "MaxGen (from 10 to 10000)", true},
    {18, "log10n-from", "Loop with Log10(N)= (first value)", true},
    {19, "log10n-to", "Loop with Log10(N)= ... to (last value)", true},
    {20, "R", "Start frequency of R+ (from .01 to .99)", true},
    {21, "D", "D (if >0 sex disadv.)", false},
    {22, "Total", "Total", false},
    {30, "dir", "Directory for saving files?", true},
    {37, "S =", "S =", false},
    {38, "K =", "K =", false},
    {39, "N value =", "N value =", false},
    {40, "Iteration =", "Iteration =", false},
}};

}  // namespace

std::span<const FieldEntry> FieldCatalogue() {
  return {kFields.data(), kFields.size()};
}

const FieldEntry* FindFieldByIndex(int index) {
  for (const FieldEntry& entry : kFields) {
    if (entry.index == index) return &entry;
  }
  return nullptr;
}

const FieldEntry* FindFieldByAlias(std::string_view alias) {
  for (const FieldEntry& entry : kFields) {
    if (alias == entry.alias) return &entry;
  }
  return nullptr;
}

}  // namespace recmod
