#include "ui/FieldCatalogue.hpp"

#include <array>

namespace recmod {

namespace {

using R = FieldRounding;

// The ranges are the window's: the least number of iterations is 2, so that a
// standard deviation can be computed; the parameter table holds the wider
// domains of the model.
constexpr std::array<FieldEntry, 28> kFields = {{
    {0, "u", "u (from 1e-10 to 1e-4)", true, "u", 1e-10F, 0.0001F, R::None, 0.00001F},
    {1, "w", "w (from 1e-10 to 1e-4)", true, "w", 1e-10F, 0.0001F, R::None, 0.00001F},
    {2, "S", "S (from -1 to 1)", true, "S", -1.0F, 1.0F, R::None, 0.1F},
    {3, "K", "K (epistasis: from 0.6 to 1.4; if >1 sex disadv.)", true, "K", 0.6F, 1.4F, R::None,
     1.0F},
    {4, "a", "Start frequency of a (from 0 to 1)", true, "a", 0.0F, 1.0F, R::None, 1.0F},
    {5, "b", "Start frequency of b (from 0 to 1)", true, "b", 0.0F, 1.0F, R::None, 1.0F},
    {6, "c", "Start frequency of c (from 0 to 1)", true, "c", 0.0F, 1.0F, R::None, 1.0F},
    {7, "z", "z value (fract. of R- recombining; from 0 to 1)", true, "z", 0.0F, 1.0F, R::None,
     0.0F},
    {8, "iterations", "No. iterations (from 1 to 10000)", true, "iterations", 2.0F, 10000.0F,
     R::Whole, 100.0F},
    {9, "log10n", "Log10(N) value (from 1 to 20)", true, "log10n", 1.0F, 20.0F, R::HalfStep, 6.0F},
    {10, "demes", "No. of demes (from 1 to 100)", true, "demes", 1.0F, 100.0F, R::Whole, 1.0F},
    {11, "diffusion", "Interdemic diffusion of genes (from 0 to 1)", true, "diffusion", 0.0F, 1.0F,
     R::None, 0.1F},
    {12, "inversion-period", "Inversion of S value (from 10 to 10000)", true, "inversion_period",
     10.0F, 10000.0F, R::Whole, 100.0F},
    {13, "ab", "ab (from 0 to 1)", true, "ab", 0.0F, 1.0F},
    {14, "Ab", "aB (from 0 to 1)", true, "Ab", 0.0F, 1.0F},
    {15, "aB", "aB (from 0 to 1)", true, "aB", 0.0F, 1.0F},
    {16, "AB", "AB (from 0 to 1)", true, "AB", 0.0F, 1.0F},
    {17, "maxgen", "MaxGen (from 10 to 10000)", true, "max_gen", 10.0F, 10000.0F, R::Whole, 250.0F},
    {18, "log10n-from", "Loop with Log10(N)= (first value)", true, "log10n_from", 1.0F, 11.5F,
     R::HalfStep},
    {19, "log10n-to", "Loop with Log10(N)= ... to (last value)", true, "log10n_to", 1.5F, 20.0F,
     R::HalfStep},
    {20, "R", "Start frequency of R+ (from .01 to .99)", true, "R", 0.01F, 0.99F},
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

const FieldEntry* FindFieldByParameter(std::string_view name) {
  for (const FieldEntry& entry : kFields) {
    if (entry.parameter != nullptr && name == entry.parameter) return &entry;
  }
  return nullptr;
}

}  // namespace recmod
