#include "ModuleStudies.hpp"

#include <limits>
#include <stdexcept>

#include "parallel/ParallelLoopExecutor.hpp"
#include "record/StudyRecord.hpp"
#include "sweep/StudyTables.hpp"
#include "sweep/SweepAxisCheck.hpp"

namespace recmod::python {

namespace {

// How Python asks for what a finite population allows.
constexpr const char* kFiniteChoice = "population=\"finite\"";

const ParameterInfo& KnownParameter(const std::string& name) {
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter != nullptr) return *parameter;
  std::string message = "no parameter '" + name + "'";
  if (const auto nearest = NearestParameterName(name)) {
    message += " (did you mean '" + std::string(*nearest) + "'?)";
  }
  throw SettingsError(message + "; recmod.parameters() lists them");
}

// The product of the axis lengths and the replicates, saturating instead of
// overflowing, so that a huge request is refused rather than wrapped.
std::int64_t RunCountOf(const StudyRequest& request) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  std::int64_t runs = request.replicates;
  for (const NamedAxis& axis : request.axes) {
    const auto length = static_cast<std::int64_t>(axis.values.size());
    if (length != 0 && runs > kMost / length) return kMost;
    runs *= length;
  }
  return runs;
}

// What an infinite population cannot vary: the population size and the
// switches that only a finite one reads; the drift switch is the population's.
void CheckAxisFitsPopulation(const ParameterInfo& parameter, bool finite) {
  const std::string name(parameter.name);
  if (name == "drift") {
    throw SettingsError("drift cannot be an axis: population= sets it (on when \"finite\")");
  }
  if (!finite && (name == "log10n" || name == "exact_sampling")) {
    throw SettingsError("an axis over " + name +
                        " needs a finite population: an infinite one does not use it (" +
                        kFiniteChoice + ")");
  }
}

}  // namespace

Study StudyOf(const ModuleSettings& settings, const StudyRequest& request) {
  CheckSettings(settings);
  if (request.replicates < 1) {
    throw SettingsError("replicates = " + std::to_string(request.replicates) +
                        " must be at least 1");
  }
  if (request.replicates > 1 && !request.finitePopulation) {
    throw SettingsError("replicates = " + std::to_string(request.replicates) + " needs " +
                        kFiniteChoice + ": without drift every replicate is the same run");
  }
  if (request.exactSampling && !request.finitePopulation) {
    throw SettingsError(std::string("sampling=\"exact\" needs ") + kFiniteChoice +
                        ": an infinite population is not sampled");
  }
  if (DriftSetAgainst(settings, request.finitePopulation)) {
    throw SettingsError(std::string("settings.drift = ") +
                        (settings.Value("drift") != 0.0 ? "True" : "False") +
                        " contradicts the population; leave it None and choose population=");
  }
  Study study;
  study.base = settings.values;
  study.Base("drift") = request.finitePopulation ? 1.0 : 0.0;
  study.Base("exact_sampling") = request.finitePopulation && request.exactSampling ? 1.0 : 0.0;
  for (const NamedAxis& axis : request.axes) {
    CheckAxisFitsPopulation(KnownParameter(axis.name), request.finitePopulation);
    study.sweep.axes.push_back(MakeSweepAxis(axis.name, axis.values));
  }
  CheckDistinctAxes(study.sweep.axes);
  study.sweep.replicates = request.replicates;
  study.sweep.finitePopulation = request.finitePopulation;
  if (request.finitePopulation) study.sweep.seed = request.seed;
  const std::int64_t runs = RunCountOf(request);
  if (runs > kStudyRunLimit && !request.force) {
    throw SettingsError("the sweep has " +
                        (runs == std::numeric_limits<std::int64_t>::max()
                             ? std::string("over 2**63")
                             : std::to_string(runs)) +
                        " runs, more than 10**7; force=True runs it all the same");
  }
  CheckStudy(study, request.force ? std::numeric_limits<std::int64_t>::max() : kStudyRunLimit);
  return study;
}

bool DriftSetAgainst(const ModuleSettings& settings, bool finitePopulation) {
  return !settings.runModeSetsDrift && (settings.Value("drift") != 0.0) != finitePopulation;
}

std::string OutsideWindowNote(const Study& study) {
  std::string note;
  for (const std::string& line : ValuesBeyondTheWindow(study)) {
    note += (note.empty() ? "" : "\n") + line;
  }
  return note;
}

std::vector<RunEnd> ComputeStudy(const Study& study, int threads, RunWatch& watch) {
  const std::int64_t total = study.sweep.RunCount();
  std::vector<RunEnd> ends(static_cast<std::size_t>(total));
  watch.total = total;
  StudyObserver observer;
  observer.stopRequested = &watch.stop;
  observer.consume = [&](std::int64_t run, const RunEnd& end) {
    ends[static_cast<std::size_t>(run)] = end;
    watch.done = run + 1;
  };
  RunStudy(study, *MakeLoopExecutor(threads), observer);
  return ends;
}

std::vector<double> FinalFrequencies(const std::vector<RunEnd>& ends) {
  std::vector<double> finals;
  finals.reserve(ends.size());
  for (const RunEnd& end : ends) finals.push_back(end.rPlus);
  return finals;
}

std::vector<PointSummary> SummariesOf(const Study& study, const std::vector<RunEnd>& ends) {
  std::vector<PointSummary> summaries(static_cast<std::size_t>(study.sweep.PointCount()));
  for (std::size_t run = 0; run < ends.size(); ++run) {
    summaries[static_cast<std::size_t>(study.sweep.PointOf(static_cast<std::int64_t>(run)))].Add(
        ends[run]);
  }
  return summaries;
}

std::string RunTableRows(const Study& study, const std::vector<RunEnd>& ends, std::int64_t first,
                         std::int64_t last) {
  std::string text;
  for (std::int64_t run = first; run < last; ++run) {
    text += RunTableRow(study, run, ends[static_cast<std::size_t>(run)]);
  }
  return text;
}

std::string SummaryTableRows(const Study& study, const std::vector<PointSummary>& summaries,
                             std::int64_t first, std::int64_t last) {
  std::string text;
  for (std::int64_t point = first; point < last; ++point) {
    text += SummaryTableRow(study, point, summaries[static_cast<std::size_t>(point)]);
  }
  return text;
}

}  // namespace recmod::python
