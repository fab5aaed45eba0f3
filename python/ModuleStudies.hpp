#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ModuleRuns.hpp"
#include "ModuleSettings.hpp"
#include "run/RunEnd.hpp"
#include "sweep/Study.hpp"
#include "sweep/SweepSummary.hpp"

namespace recmod::python {

// The most runs a sweep makes unless the caller insists (force=True).
inline constexpr std::int64_t kStudyRunLimit = 10'000'000;

// An axis as the caller names it (a parameter's name or alias) with its values.
struct NamedAxis {
  std::string name;
  std::vector<double> values;
};

// What recmod.sweep asks for, its arguments taken apart.
struct StudyRequest {
  std::vector<NamedAxis> axes;
  std::int64_t replicates = 1;
  bool finitePopulation = false;
  bool exactSampling = false;
  std::optional<std::uint64_t> seed;
  bool force = false;
};

// The study of `request` with the settings as its base. Throws SettingsError
// for what cannot run: an unknown name (with the nearest one), a value outside
// the model's domain, an axis twice, an empty axis, replicates below 1 or
// above 1 with an infinite population, an axis over the population size with
// an infinite one, more than kStudyRunLimit runs without force.
Study StudyOf(const ModuleSettings& settings, const StudyRequest& request);

// Whether the settings set the drift switch against the population's own
// choice (drift=True with N infinite, drift=False with N finite): runs that
// no study describes, since a study's population sets the switch.
bool DriftSetAgainst(const ModuleSettings& settings, bool finitePopulation);

// For each axis with a value that the window would not take (outside its
// field's range) though the model would, a line naming the first such value;
// empty when there is none. The record of the study keeps the same notes.
std::string OutsideWindowNote(const Study& study);

// Every run's end, in run order, on `threads` threads (any number gives the
// same ends).
std::vector<RunEnd> ComputeStudy(const Study& study, int threads, RunWatch& watch);

// The final R+ frequency of every run.
std::vector<double> FinalFrequencies(const std::vector<RunEnd>& ends);

// The summary of every point, accumulated in run order as the command line
// accumulates it.
std::vector<PointSummary> SummariesOf(const Study& study, const std::vector<RunEnd>& ends);

// The CSV lines of the runs [first, last) of the run table, and of the points
// [first, last) of the summary, without their headers.
std::string RunTableRows(const Study& study, const std::vector<RunEnd>& ends, std::int64_t first,
                         std::int64_t last);
std::string SummaryTableRows(const Study& study, const std::vector<PointSummary>& summaries,
                             std::int64_t first, std::int64_t last);

}  // namespace recmod::python
