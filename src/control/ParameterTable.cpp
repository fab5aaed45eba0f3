#include "control/ParameterTable.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/PopulationState.hpp"
#include "output/ShortestNumber.hpp"

namespace recmod {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Counts are signed 16-bit numbers.
constexpr double kInt16Max = 32767.0;

auto Int16 = [](double value) { return static_cast<std::int16_t>(value); };

// The reasons for every domain are given in docs/model.md ("The model's domain").
constexpr std::array<ParameterInfo, 30> kParameters = {{
    {"u",
     "",
     ParameterKind::Rate,
     {0.0, 1.0},
     false,
     1e-5,
     LaneRole::PerLane,
     "mutation rate from the reference to the mutant allele, per locus and generation",
     [](RunInputs& in, double v) { in.params.u = v; }},
    {"w",
     "",
     ParameterKind::Rate,
     {0.0, 1.0},
     false,
     1e-5,
     LaneRole::PerLane,
     "back-mutation rate from the mutant to the reference allele",
     [](RunInputs& in, double v) { in.params.w = v; }},
    {"S",
     "",
     ParameterKind::Coefficient,
     {-1.0, kInfinity, true, true},
     false,
     0.1,
     LaneRole::PerLane,
     "selection coefficient of a haplotype with one mutant allele",
     [](RunInputs& in, double v) { in.params.S = in.SAmplitude = v; }},
    {"K",
     "",
     ParameterKind::Coefficient,
     {0.0, kInfinity, false, true},
     false,
     1.0,
     LaneRole::PerLane,
     "epistasis: the selection of two mutant alleles is K((1+S)^2-1)",
     [](RunInputs& in, double v) { in.params.K = v; }},
    {"a",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     1.0,
     LaneRole::PerLane,
     "start frequency of the allele a",
     [](RunInputs& in, double v) { in.start.alleles[0] = v; }},
    {"b",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     1.0,
     LaneRole::PerLane,
     "start frequency of the allele b",
     [](RunInputs& in, double v) { in.start.alleles[1] = v; }},
    {"c",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     1.0,
     LaneRole::PerLane,
     "start frequency of the allele c (three loci)",
     [](RunInputs& in, double v) { in.start.alleles[2] = v; }},
    {"z",
     "",
     ParameterKind::Fraction,
     {0.0, 1.0},
     false,
     0.0,
     LaneRole::PerBatch,
     "fraction of R- carriers that recombine (held in single precision)",
     [](RunInputs& in, double v) { in.params.z = static_cast<float>(v); }},
    {"iterations",
     "",
     ParameterKind::Count,
     {2.0, kInt16Max},
     true,
     100.0,
     LaneRole::Loop,
     "runs per population size in the loop over Log10(N)",
     [](RunInputs& in, double v) { in.params.Iterations = Int16(v); }},
    {"log10n",
     "",
     ParameterKind::Size,
     {0.0, 300.0},
     false,
     6.0,
     LaneRole::PerLane,
     "log10 of the population size N (held in single precision)",
     [](RunInputs& in, double v) { in.params.Log10N = static_cast<float>(v); }},
    {"demes",
     "",
     ParameterKind::Count,
     {1.0, PopulationState::kMaxDeme},
     true,
     1.0,
     LaneRole::PerBatch,
     "number of demes",
     [](RunInputs& in, double v) { in.params.Demes = Int16(v); }},
    {"diffusion",
     "",
     ParameterKind::Fraction,
     {0.0, 1.0},
     false,
     0.1,
     LaneRole::PerBatch,
     "interdemic diffusion of genes per generation (held in single precision)",
     [](RunInputs& in, double v) { in.params.Diffusion = static_cast<float>(v); }},
    {"inversion_period",
     "inversion-period",
     ParameterKind::Count,
     {1.0, kInt16Max},
     true,
     100.0,
     LaneRole::PerLane,
     "generations between inversions of S (or the sinusoid's half period)",
     [](RunInputs& in, double v) { in.params.InversionPeriod = Int16(v); }},
    {"ab",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     0.3,
     LaneRole::PerLane,
     "start frequency of the haplotype ab (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[0] = v; }},
    {"Ab",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     0.2,
     LaneRole::PerLane,
     "start frequency of the haplotype Ab (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[1] = v; }},
    {"aB",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     0.3,
     LaneRole::PerLane,
     "start frequency of the haplotype aB (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[2] = v; }},
    {"AB",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     0.2,
     LaneRole::PerLane,
     "start frequency of the haplotype AB (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[3] = v; }},
    // A 16-bit generation counter passes 32767 after the last generation of
    // MaxGen = 32767, so the last sound value is one less.
    {"max_gen",
     "maxgen MaxGen",
     ParameterKind::Count,
     {1.0, kInt16Max - 1.0},
     true,
     250.0,
     LaneRole::PerBatch,
     "generations per run",
     [](RunInputs& in, double v) { in.params.MaxGen = Int16(v); }},
    {"log10n_from",
     "log10n-from",
     ParameterKind::Size,
     {0.0, 300.0},
     false,
     1.0,
     LaneRole::Loop,
     "first Log10(N) of the loop over Log10(N), in half steps",
     nullptr},
    {"log10n_to",
     "log10n-to",
     ParameterKind::Size,
     {0.0, 300.0},
     false,
     12.0,
     LaneRole::Loop,
     "last Log10(N) of the loop over Log10(N)",
     nullptr},
    {"R",
     "",
     ParameterKind::Frequency,
     {0.0, 1.0},
     false,
     0.5,
     LaneRole::PerLane,
     "start frequency of the modifier allele R+",
     [](RunInputs& in, double v) { in.start.R = v; }},
    {"loci",
     "",
     ParameterKind::Choice,
     {2.0, 3.0},
     true,
     2.0,
     LaneRole::PerBatch,
     "number of loci under selection, 2 or 3",
     nullptr},
    {"recombination",
     "RecombForR",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     1.0,
     LaneRole::PerBatch,
     "the recombination step runs",
     [](RunInputs& in, double v) { in.switches.RecombForR = v != 0.0; }},
    {"total_stochasticity",
     "TotalStochasticity",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     1.0,
     LaneRole::PerBatch,
     "the R- class draws its own random numbers in the mutation step",
     [](RunInputs& in, double v) { in.switches.TotalStochasticity = v != 0.0; }},
    {"drift",
     "GeneticDrift",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "the drift step runs (a finite population)",
     [](RunInputs& in, double v) { in.switches.GeneticDrift = v != 0.0; }},
    {"interdemic_diffusion",
     "InterdemicDiffusion",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "shown ticked when demes > 1; the demes then exchange genes",
     nullptr},
    {"inversion",
     "InversionOfS",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "S is inverted every inversion period",
     [](RunInputs& in, double v) { in.switches.InversionOfS = v != 0.0; }},
    {"sinusoidal",
     "SinusoidalOption",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "with the inversion: S varies as a sinusoid of amplitude S instead",
     [](RunInputs& in, double v) { in.switches.SinusoidalOption = v != 0.0; }},
    {"linkage_disequilibrium",
     "LinkageDisequilibrium",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "two loci start from the haplotype frequencies ab, Ab, aB, AB",
     [](RunInputs& in, double v) { in.switches.LinkageDisequilibrium = v != 0.0; }},
    {"exact_sampling",
     "ExactSampling",
     ParameterKind::Switch,
     {0.0, 1.0},
     true,
     0.0,
     LaneRole::PerBatch,
     "drift as a multinomial Wright-Fisher draw instead of the entry-wise draw",
     [](RunInputs& in, double v) { in.switches.ExactSampling = v != 0.0; }},
}};

bool HasAlias(const ParameterInfo& parameter, std::string_view text) {
  std::string_view rest = parameter.aliases;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    if (rest.substr(0, blank) == text) return true;
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return false;
}

// Edits (insertions, deletions, substitutions) that turn `a` into `b`, with
// case ignored.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  auto lower = [](char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch); };
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + cost});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string BoundText(double bound) {
  if (std::isinf(bound)) return bound > 0 ? "inf" : "-inf";
  return ShortestNumber(bound);
}

}  // namespace

bool Interval::Contains(double value) const {
  if (std::isnan(value)) return false;
  if (openBelow ? !(value > minimum) : !(value >= minimum)) return false;
  if (openAbove ? !(value < maximum) : !(value <= maximum)) return false;
  return std::isfinite(value);
}

std::span<const ParameterInfo> Parameters() {
  return {kParameters.data(), kParameters.size()};
}

const ParameterInfo* FindParameter(std::string_view nameOrAlias) {
  for (const ParameterInfo& parameter : kParameters) {
    if (parameter.name == nameOrAlias) return &parameter;
  }
  for (const ParameterInfo& parameter : kParameters) {
    if (HasAlias(parameter, nameOrAlias)) return &parameter;
  }
  return nullptr;
}

std::optional<std::string_view> NearestParameterName(std::string_view text) {
  std::optional<std::string_view> best;
  std::size_t bestDistance = 0;
  for (const ParameterInfo& parameter : kParameters) {
    std::size_t distance = EditDistance(text, parameter.name);
    std::string_view rest = parameter.aliases;
    while (!rest.empty()) {
      const std::size_t blank = rest.find(' ');
      distance = std::min(distance, EditDistance(text, rest.substr(0, blank)));
      if (blank == std::string_view::npos) break;
      rest.remove_prefix(blank + 1);
    }
    if (!best || distance < bestDistance) best = parameter.name, bestDistance = distance;
  }
  // Only a near miss is worth suggesting: a third of the letters at most.
  if (!best || bestDistance > std::max<std::size_t>(1, text.size() / 3)) return std::nullopt;
  return best;
}

std::string DomainText(const ParameterInfo& parameter) {
  const Interval& d = parameter.domain;
  if (parameter.kind == ParameterKind::Switch || parameter.kind == ParameterKind::Choice) {
    return "{" + BoundText(d.minimum) + ", " + BoundText(d.maximum) + "}";
  }
  std::string text = std::string(d.openBelow ? "(" : "[") + BoundText(d.minimum) + ", " +
                     BoundText(d.maximum) + (d.openAbove ? ")" : "]");
  if (parameter.whole) text += " whole";
  return text;
}

bool InDomain(const ParameterInfo& parameter, double value) {
  if (!parameter.domain.Contains(value)) return false;
  return !parameter.whole || std::floor(value) == value;
}

std::string_view KindName(ParameterKind kind) {
  switch (kind) {
    case ParameterKind::Rate:
      return "rate";
    case ParameterKind::Coefficient:
      return "coefficient";
    case ParameterKind::Frequency:
      return "frequency";
    case ParameterKind::Fraction:
      return "fraction";
    case ParameterKind::Count:
      return "count";
    case ParameterKind::Size:
      return "log10 size";
    case ParameterKind::Switch:
      return "switch";
    case ParameterKind::Choice:
      return "choice";
  }
  return "?";
}

std::string_view LaneRoleName(LaneRole role) {
  switch (role) {
    case LaneRole::PerLane:
      return "per lane";
    case LaneRole::PerBatch:
      return "per batch";
    case LaneRole::Loop:
      return "loop";
  }
  return "?";
}

}  // namespace recmod
