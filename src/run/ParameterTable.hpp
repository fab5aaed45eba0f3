#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace recmod {

struct RunInputs;

// What a parameter is, which tells how its values read and which rules its
// domain follows.
enum class ParameterKind {
  Rate,         // a probability per allele and generation
  Coefficient,  // a selection coefficient or epistasis factor
  Frequency,    // a start frequency
  Fraction,     // a share of something per generation
  Count,        // a whole number of things
  Size,         // log10 of the number of individuals
  Switch,       // 0 or 1: a feature of the model on or off
  Choice,       // one of a few whole numbers
};

// Where a run keeps a parameter.
enum class ParameterHome {
  Parameters,  // ModelParameters: a run's engine reads it from its own copy
  Start,       // StartFrequencies: the start state is built from it
  Switches,    // RunSwitches
  Tables,      // the haplotype tables (the number of loci)
  Loop,        // only the window's loop over Log10(N) reads it
  Window,      // the window shows it; the model derives it from other parameters
};

// How a parameter may vary among the runs that go side by side in the vector
// lanes of one batch: each lane may have its own value, or the value is one
// constant of the batch (every run of a batch must agree), or it shapes a loop
// rather than a run.
enum class LaneRole { PerLane, PerBatch, Loop };

// An interval of the real line; an open end excludes its bound.
struct Interval {
  double minimum;
  double maximum;
  bool openBelow = false;
  bool openAbove = false;
  bool Contains(double value) const;
};

// One parameter of the model: the single place that says what it is called,
// which values make the model sound, where a run keeps it and how runs of a
// batch may differ in it. The window's fields for the parameters (captions,
// ranges, normalisation) sit beside it in the logic layer, keyed by `name`.
struct ParameterInfo {
  std::string_view name;     // the one spelling: command line, Python, records, tables
  std::string_view label;    // the model's own name, as messages write it (Log10(N), MaxGen)
  std::string_view aliases;  // older spellings still accepted, blank-separated
  ParameterKind kind;
  ParameterHome home;
  Interval domain;  // the values for which the model is sound
  bool whole;       // only whole numbers
  double startValue;
  bool singlePrecision;  // a run holds it as a float (its values are rounded to one)
  LaneRole role;
  std::string_view description;
  // Sets the parameter of a run's typed inputs; nullptr for parameters that a
  // run does not hold (the number of loci shapes the haplotype tables, the
  // loop bounds shape the loop).
  void (*apply)(RunInputs& inputs, double value);
};

// Every parameter and switch, in the order of the window's fields and then
// its check boxes.
std::span<const ParameterInfo> Parameters();

// The parameter of that name or alias (exact match); nullptr when none.
const ParameterInfo* FindParameter(std::string_view nameOrAlias);

// The known name nearest to a misspelt one (for "did you mean"), if any is close.
std::optional<std::string_view> NearestParameterName(std::string_view text);

// "[0, 1]", "(-1, inf)", "{2, 3}": the domain as a user reads it.
std::string DomainText(const ParameterInfo& parameter);

// Whether `value` lies in the parameter's domain (and is whole where it must be).
bool InDomain(const ParameterInfo& parameter, double value);

std::string_view KindName(ParameterKind kind);
std::string_view LaneRoleName(LaneRole role);
std::string_view HomeName(ParameterHome home);

}  // namespace recmod
