#include "run/ParameterTable.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/PopulationState.hpp"
#include "numbers/ShortestNumber.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Counts are signed 16-bit numbers.
constexpr double kInt16Max = 32767.0;

auto Int16 = [](double value) { return static_cast<std::int16_t>(value); };

// The reasons for every domain are given in docs/model.md ("The model's domain").
// clang-format off
constexpr std::array<ParameterInfo, 30> kParameters = {{
    {"u", "u", "", ParameterKind::Rate, ParameterHome::Parameters, {0.0, 1.0}, false, 1e-5, false, LaneRole::PerLane,
     "mutation rate from the reference to the mutant allele, per locus and generation",
     [](RunInputs& in, double v) { in.params.u = v; }},
    {"w", "w", "", ParameterKind::Rate, ParameterHome::Parameters, {0.0, 1.0}, false, 1e-5, false, LaneRole::PerLane,
     "back-mutation rate from the mutant to the reference allele",
     [](RunInputs& in, double v) { in.params.w = v; }},
    {"S", "S", "", ParameterKind::Coefficient, ParameterHome::Parameters, {-1.0, kInfinity, true, true}, false, 0.1, false, LaneRole::PerLane,
     "selection coefficient of a haplotype with one mutant allele",
     [](RunInputs& in, double v) { in.params.S = v; }},
    {"K", "K", "", ParameterKind::Coefficient, ParameterHome::Parameters, {0.0, kInfinity, false, true}, false, 1.0, false, LaneRole::PerLane,
     "epistasis: the selection of two mutant alleles is K((1+S)^2-1)",
     [](RunInputs& in, double v) { in.params.K = v; }},
    {"a", "a", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 1.0, false, LaneRole::PerLane,
     "start frequency of the allele a",
     [](RunInputs& in, double v) { in.start.alleles[0] = v; }},
    {"b", "b", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 1.0, false, LaneRole::PerLane,
     "start frequency of the allele b",
     [](RunInputs& in, double v) { in.start.alleles[1] = v; }},
    {"c", "c", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 1.0, false, LaneRole::PerLane,
     "start frequency of the allele c (three loci)",
     [](RunInputs& in, double v) { in.start.alleles[2] = v; }},
    {"z", "z", "", ParameterKind::Fraction, ParameterHome::Parameters, {0.0, 1.0}, false, 0.0, true, LaneRole::PerBatch,
     "fraction of R- carriers that recombine",
     [](RunInputs& in, double v) { in.params.z = static_cast<float>(v); }},
    {"iterations", "Iterations", "", ParameterKind::Count, ParameterHome::Parameters, {2.0, kInt16Max}, true, 100.0, false, LaneRole::Loop,
     "runs per population size in the loop over Log10(N)",
     [](RunInputs& in, double v) { in.params.Iterations = Int16(v); }},
    {"log10n", "Log10(N)", "", ParameterKind::Size, ParameterHome::Parameters, {0.0, 300.0}, false, 6.0, true, LaneRole::PerLane,
     "log10 of the population size N",
     [](RunInputs& in, double v) { in.params.Log10N = static_cast<float>(v); }},
    {"demes", "Demes", "", ParameterKind::Count, ParameterHome::Parameters, {1.0, PopulationState::kMaxDeme}, true, 1.0, false, LaneRole::PerBatch,
     "number of demes",
     [](RunInputs& in, double v) { in.params.Demes = Int16(v); }},
    {"diffusion", "Diffusion", "", ParameterKind::Fraction, ParameterHome::Parameters, {0.0, 1.0}, false, 0.1, true, LaneRole::PerBatch,
     "interdemic diffusion of genes per generation",
     [](RunInputs& in, double v) { in.params.Diffusion = static_cast<float>(v); }},
    {"inversion_period", "InversionPeriod", "inversion-period", ParameterKind::Count, ParameterHome::Parameters, {1.0, kInt16Max}, true, 100.0, false, LaneRole::PerLane,
     "generations between inversions of S (or the sinusoid's half period)",
     [](RunInputs& in, double v) { in.params.InversionPeriod = Int16(v); }},
    {"ab", "ab", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 0.3, false, LaneRole::PerLane,
     "start frequency of the haplotype ab (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[0] = v; }},
    {"Ab", "Ab", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 0.2, false, LaneRole::PerLane,
     "start frequency of the haplotype Ab (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[1] = v; }},
    {"aB", "aB", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 0.3, false, LaneRole::PerLane,
     "start frequency of the haplotype aB (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[2] = v; }},
    {"AB", "AB", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 0.2, false, LaneRole::PerLane,
     "start frequency of the haplotype AB (linkage disequilibrium, two loci)",
     [](RunInputs& in, double v) { in.start.haplotypes[3] = v; }},
    // A 16-bit generation counter passes 32767 after the last generation of
    // MaxGen = 32767, so the last sound value is one less.
    {"max_gen", "MaxGen", "maxgen MaxGen", ParameterKind::Count, ParameterHome::Parameters, {1.0, kInt16Max - 1.0}, true, 250.0, false, LaneRole::PerBatch,
     "generations per run",
     [](RunInputs& in, double v) { in.params.MaxGen = Int16(v); }},
    {"log10n_from", "Log10(N) from", "log10n-from", ParameterKind::Size, ParameterHome::Loop, {0.0, 300.0}, false, 1.0, true, LaneRole::Loop,
     "first Log10(N) of the loop over Log10(N), in half steps",
     nullptr},
    {"log10n_to", "Log10(N) to", "log10n-to", ParameterKind::Size, ParameterHome::Loop, {0.0, 300.0}, false, 12.0, true, LaneRole::Loop,
     "last Log10(N) of the loop over Log10(N)",
     nullptr},
    {"R", "R+", "", ParameterKind::Frequency, ParameterHome::Start, {0.0, 1.0}, false, 0.5, false, LaneRole::PerLane,
     "start frequency of the modifier allele R+",
     [](RunInputs& in, double v) { in.start.R = v; }},
    {"loci", "AllelesNumber", "", ParameterKind::Choice, ParameterHome::Tables, {2.0, 3.0}, true, 2.0, false, LaneRole::PerBatch,
     "number of loci under selection, 2 or 3",
     nullptr},
    {"recombination", "RecombForR", "RecombForR", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 1.0, false, LaneRole::PerBatch,
     "the recombination step runs",
     [](RunInputs& in, double v) { in.switches.RecombForR = v != 0.0; }},
    {"total_stochasticity", "TotalStochasticity", "TotalStochasticity", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 1.0, false, LaneRole::PerBatch,
     "the R- class draws its own random numbers in the mutation step",
     [](RunInputs& in, double v) { in.switches.TotalStochasticity = v != 0.0; }},
    {"drift", "GeneticDrift", "GeneticDrift", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "the drift step runs (a finite population)",
     [](RunInputs& in, double v) { in.switches.GeneticDrift = v != 0.0; }},
    {"interdemic_diffusion", "InterdemicDiffusion", "InterdemicDiffusion", ParameterKind::Switch, ParameterHome::Window, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "shown ticked when demes > 1; the demes then exchange genes",
     nullptr},
    {"inversion", "InversionOfS", "InversionOfS", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "S is inverted every inversion period",
     [](RunInputs& in, double v) { in.switches.InversionOfS = v != 0.0; }},
    {"sinusoidal", "SinusoidalOption", "SinusoidalOption", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "with the inversion: S varies as a sinusoid of amplitude S instead",
     [](RunInputs& in, double v) { in.switches.SinusoidalOption = v != 0.0; }},
    {"linkage_disequilibrium", "LinkageDisequilibrium", "LinkageDisequilibrium", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "two loci start from the haplotype frequencies ab, Ab, aB, AB",
     [](RunInputs& in, double v) { in.switches.LinkageDisequilibrium = v != 0.0; }},
    {"exact_sampling", "ExactSampling", "ExactSampling", ParameterKind::Switch, ParameterHome::Switches, {0.0, 1.0}, true, 0.0, false, LaneRole::PerBatch,
     "drift as a multinomial Wright-Fisher draw instead of the entry-wise draw",
     [](RunInputs& in, double v) { in.switches.ExactSampling = v != 0.0; }},
}};
// clang-format on

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

std::string_view HomeName(ParameterHome home) {
  switch (home) {
    case ParameterHome::Parameters:
      return "parameters";
    case ParameterHome::Start:
      return "start";
    case ParameterHome::Switches:
      return "switches";
    case ParameterHome::Tables:
      return "tables";
    case ParameterHome::Loop:
      return "loop";
    case ParameterHome::Window:
      return "window";
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
