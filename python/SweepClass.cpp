#include "SweepClass.hpp"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <string>
#include <utility>
#include <vector>

#include "ModuleStudies.hpp"
#include "StrictArguments.hpp"
#include "SweepArguments.hpp"
#include "SweepTables.hpp"
#include "Watched.hpp"
#include "model/RuntimeError.hpp"
#include "output/SafeFileWrite.hpp"
#include "record/RunRecord.hpp"
#include "record/StudyRecord.hpp"
#include "sweep/StudyTables.hpp"

namespace py = pybind11;

namespace recmod::python {

namespace {

constexpr const char* kTableFile = "table.csv";
constexpr const char* kSummaryFile = "summary.csv";

bool ExactSampling(const Study& study) {
  return study.Base("exact_sampling") != 0.0;
}

py::object SeedOf(const Study& study) {
  return study.sweep.seed ? py::object(py::int_(*study.sweep.seed)) : py::object(py::none());
}

// A repeat writes the tables under these names into a directory of its own:
// each must be a bare file name, and the two must differ.
void CheckOutputNames(const std::string& tableFile, const std::string& summaryFile) {
  for (const auto& [what, name] : {std::pair{"table", &tableFile}, {"summary", &summaryFile}}) {
    if (name->empty() || name->find('/') != std::string::npos || *name == "." || *name == ".." ||
        *name == kRunRecordFileName) {
      throw SettingsError(std::string(what) + " = \"" + *name +
                          "\" must be a plain file name (no directory), not the record's own");
    }
  }
  if (tableFile == summaryFile) {
    throw SettingsError("table and summary must be different file names, not both \"" + tableFile +
                        "\"");
  }
}

StudyRecord RecordOf(const SweepResult& result, const std::string& tableFile,
                     const std::string& summaryFile) {
  CheckOutputNames(tableFile, summaryFile);
  StudyRecord record;
  record.study = result.study;
  record.frontEnd = "python";
  record.table = StudyOutput{tableFile, DigestOfText(RunTableText(result))};
  record.summary = StudyOutput{summaryFile, DigestOfText(SummaryTableText(result))};
  return record;
}

py::object RecordDict(const StudyRecord& record) {
  return py::module_::import("json").attr("loads")(StudyRecordText(record));
}

py::dict AxesDict(const Study& study) {
  py::dict axes;
  for (const SweepAxis& axis : study.sweep.axes) {
    py::array_t<double> values(static_cast<py::ssize_t>(axis.values.size()));
    std::copy(axis.values.begin(), axis.values.end(), values.mutable_data());
    axes[py::str(std::string(axis.parameter->name))] = values;
  }
  return axes;
}

py::object PandasModule(const char* what) {
  try {
    return py::module_::import("pandas");
  } catch (py::error_already_set& error) {
    if (!error.matches(PyExc_ImportError)) throw;
    throw py::import_error(std::string(what) +
                           " needs pandas (Debian: apt-get install python3-pandas); " +
                           ".runs and .summary() hold the same tables as NumPy arrays");
  }
}

py::tuple OutcomeNames() {
  return py::make_tuple(RunOutcomeName(RunOutcome::Segregating), RunOutcomeName(RunOutcome::Fixed),
                        RunOutcomeName(RunOutcome::Lost));
}

constexpr const char* kSweepDoc =
    R"(Runs a study: every point of the grid product of the axes, each run `replicates` times.

settings: the base of every run (recmod.Settings). axes: a dict of parameter
name (as recmod.parameters() lists them, aliases allowed) to its values (any
iterable of numbers, a NumPy array included); the first axis varies slowest,
the last fastest. Any value in the parameter's model domain is taken; one
outside the window's range is noted once with warnings.warn.
replicates: runs per point, 1 unless population="finite".
population: "infinite" (no drift) or "finite" (N = 10**log10n with drift).
sampling: "draw" or "exact" drift in a finite population; None takes the
settings' sampling.
seed: a finite population's seed, an int from 0 to 2**64 - 1, drawn when None;
run r draws from (seed, r), so a seed repeats the study exactly (on any
number of threads). threads: an int from 1 to 1024 (default: all cores).
progress(runs done, runs in all) is called a few times a second; Ctrl-C
stops the study within a generation (KeyboardInterrupt).
force=True allows more than 10**7 runs.
Raises ValueError (TypeError for a wrong type) before any run for an unknown
parameter (naming the nearest), an axis given twice (by name and alias), an
empty axis, NaN or a value outside the domain, replicates < 1 or > 1 with an
infinite population, an axis over log10n with an infinite population,
settings.drift set against the population, a seed without drift.
Returns a SweepResult: .runs, .summary(), .to_pandas(), .to_csv(),
.summary_csv(), .record(), .save_record(), .seed, .axes, .settings.)";

constexpr const char* kRunsDoc =
    R"(The run table, a NumPy structured array with one row per run, in run order:
run (int64, 0-based), one float64 column per axis (named as the parameter),
replicate (int64, from 0 within a point), seed (uint64, the study's seed; 0
without drift, where .seed is None), rplus (float64, the final R+ frequency),
outcome (int8: recmod.OUTCOMES[outcome] is "segregating" 0, "fixed" 1 or
"lost" 2), generation (int32, the generation after which R+ was fixed or lost,
0 when it started so; -1 while segregating).)";

constexpr const char* kSummaryDoc =
    R"(The summary, a NumPy structured array with one row per point (the order of
the runs): one float64 column per axis, n (int64), then float64 columns mean,
sd (n - 1; 0 for one run) and se of the final R+ frequency; fixed and lost
(the share of runs with R+ fixed, lost) each with its 95 % Wilson interval
(fixed_low, fixed_high, lost_low, lost_high); mean_fixation_generation (NaN
when no run fixed). The same numbers as recmod-batch --summary.)";

}  // namespace

void DefineSweep(py::module_& module) {
  module.attr("OUTCOMES") = OutcomeNames();

  py::class_<SweepResult>(module, "SweepResult", "The outcome of recmod.sweep.")
      .def_property_readonly(
          "runs",
          [](SweepResult& result) {
            if (!result.runs) result.runs = RunTable(result);
            return result.runs;
          },
          kRunsDoc)
      .def("summary", &SummaryTable, kSummaryDoc)
      .def_property_readonly(
          "seed", [](const SweepResult& result) { return SeedOf(result.study); },
          "The seed of a finite population's study (None for an infinite one).")
      .def_property_readonly(
          "axes", [](const SweepResult& result) { return AxesDict(result.study); },
          "The axes: a dict of parameter name (the table's, not an alias) to a NumPy array of "
          "its values, in the order of the axes.")
      .def_readonly("settings", &SweepResult::settings, "The settings the study started from.")
      .def_property_readonly(
          "replicates", [](const SweepResult& result) { return result.study.sweep.replicates; },
          "Runs per point.")
      .def_property_readonly(
          "population",
          [](const SweepResult& result) {
            return result.study.sweep.finitePopulation ? kFinite : kInfinite;
          },
          "\"infinite\" or \"finite\".")
      .def_property_readonly(
          "sampling",
          [](const SweepResult& result) { return ExactSampling(result.study) ? kExact : kDraw; },
          "\"draw\" or \"exact\": how a finite population drifts.")
      .def(
          "to_pandas",
          [](SweepResult& result, bool summary) {
            const py::object pandas = PandasModule("SweepResult.to_pandas()");
            if (summary) return pandas.attr("DataFrame")(SummaryTable(result));
            if (!result.runs) result.runs = RunTable(result);
            py::object frame = pandas.attr("DataFrame")(result.runs);
            frame[py::str("outcome")] =
                pandas.attr("Categorical")
                    .attr("from_codes")(frame[py::str("outcome")],
                                        py::arg("categories") = OutcomeNames());
            if (!result.study.sweep.seed) {
              frame[py::str("seed")] =
                  pandas.attr("Series")(pandas.attr("NA"), py::arg("index") = frame.attr("index"),
                                        py::arg("dtype") = "UInt64");
            }
            return frame;
          },
          py::arg("summary") = false,
          R"(The run table (summary=False) or the summary (summary=True) as a pandas
DataFrame, with the columns of .runs or .summary(); a run's outcome is a
categorical ("segregating", "fixed", "lost") and, without drift, its seed is
<NA>. Raises ImportError without pandas.)")
      .def(
          "to_csv",
          [](const SweepResult& result, const py::object& path) -> py::object {
            if (path.is_none()) return py::str(RunTableText(result));
            WriteTable(path, RunTableHeader(result.study),
                       static_cast<std::int64_t>(result.ends.size()),
                       [&](std::int64_t first, std::int64_t last) {
                         return RunTableRows(result.study, result.ends, first, last);
                       });
            return py::none();
          },
          py::arg("path") = py::none(),
          R"(Writes the run table as CSV to path (a str or path-like), the same bytes as
recmod-batch --table: a header line "run,<axes>,replicate,seed,rplus,outcome,generation",
then one line per run, numbers in the shortest form that reads back to the
same double, the seed blank without drift, the outcome fixed/lost/segregating,
the generation blank while segregating; lines end with "\n". Without path,
returns the text.)")
      .def(
          "summary_csv",
          [](const SweepResult& result, const py::object& path) -> py::object {
            if (path.is_none()) return py::str(SummaryTableText(result));
            const std::vector<PointSummary> summaries = SummariesOf(result.study, result.ends);
            WriteTable(path, SummaryTableHeader(result.study),
                       static_cast<std::int64_t>(summaries.size()),
                       [&](std::int64_t first, std::int64_t last) {
                         return SummaryTableRows(result.study, summaries, first, last);
                       });
            return py::none();
          },
          py::arg("path") = py::none(),
          "Writes the summary as CSV to path, the same bytes as recmod-batch --summary; "
          "without path, returns the text.")
      .def(
          "record",
          [](const SweepResult& result, const std::string& table, const std::string& summary) {
            return RecordDict(RecordOf(result, table, summary));
          },
          py::arg("table") = kTableFile, py::arg("summary") = kSummaryFile,
          R"(The run record of the study as a dict (kind "study", front_end "python"):
the program, every base parameter, the axes, replicates, population, sampling,
seed, and the size and SHA-256 of the run table and summary as to_csv and
summary_csv write them (under the names `table` and `summary`).)")
      .def(
          "save_record",
          [](const SweepResult& result, const py::object& path, const std::string& table,
             const std::string& summary) {
            // The record is made first: a name it refuses leaves no file behind.
            const std::string text = StudyRecordText(RecordOf(result, table, summary));
            const py::module_ os = py::module_::import("os");
            py::object target = os.attr("fspath")(path);
            if (os.attr("path").attr("isdir")(target).cast<bool>()) {
              target = os.attr("path").attr("join")(target, kRunRecordFileName);
            }
            try {
              WriteFileSafely(py::str(target).cast<std::string>(), text, Durability::Durable);
            } catch (const RuntimeError& error) {
              RaiseAsOSError(error);
            }
            return target;
          },
          py::arg("path"), py::arg("table") = kTableFile, py::arg("summary") = kSummaryFile,
          R"(Writes .record() as JSON to path (a directory gets recmod-run.json in it) and
returns the file's path. recmod-batch --repeat FILE --dir D runs the study
again and writes D/table.csv and D/summary.csv (or the names given), the same
bytes as to_csv and summary_csv, or exits 4 when they differ.)")
      .def("__repr__",
           [](const SweepResult& result) {
             std::string axes;
             for (const SweepAxis& axis : result.study.sweep.axes) {
               axes += std::string(axes.empty() ? "" : " x ") + std::string(axis.parameter->name) +
                       "[" + std::to_string(axis.values.size()) + "]";
             }
             return "SweepResult(axes=" + (axes.empty() ? std::string("none") : axes) +
                    ", replicates=" + std::to_string(result.study.sweep.replicates) +
                    ", population='" + (result.study.sweep.finitePopulation ? kFinite : kInfinite) +
                    "', runs=" + std::to_string(result.ends.size()) + ")";
           })
      .def(py::pickle(
          [](SweepResult& result) {
            if (!result.runs) result.runs = RunTable(result);
            py::dict axes;
            for (const auto item : AxesDict(result.study)) axes[item.first] = item.second;
            return py::make_tuple(result.settings, axes, result.study.sweep.replicates,
                                  result.study.sweep.finitePopulation ? kFinite : kInfinite,
                                  ExactSampling(result.study) ? kExact : kDraw,
                                  SeedOf(result.study), result.runs);
          },
          [](const py::tuple& state) {
            if (state.size() != 7) throw std::runtime_error("a SweepResult is pickled as 7 values");
            SweepResult result;
            result.settings = state[0].cast<ModuleSettings>();
            const bool finite = state[3].cast<std::string>() == kFinite;
            const py::object sampling = finite ? py::object(state[4]) : py::object(py::none());
            result.study = StudyOfArguments(result.settings, state[1], state[2], state[3], sampling,
                                            state[5], true);
            result.runs = state[6];
            result.ends = EndsOfRunTable(result.runs);
            if (static_cast<std::int64_t>(result.ends.size()) != result.study.sweep.RunCount()) {
              throw std::runtime_error("a pickled SweepResult's runs do not fit its study");
            }
            return result;
          }));

  module.def(
      "sweep",
      [](const ModuleSettings& settings, const py::object& axes, const py::object& replicates,
         const py::object& population, const py::object& sampling, const py::object& seed,
         const py::object& threads, const py::object& progress, const py::object& force) {
        Study study = StudyOfArguments(settings, axes, replicates, population, sampling, seed,
                                       SwitchArgument("force", force));
        const int threadCount = ThreadsArgument(threads);
        const std::string note = OutsideWindowNote(study);
        if (!note.empty() && PyErr_WarnEx(PyExc_UserWarning, note.c_str(), 1) != 0) {
          throw py::error_already_set();
        }
        if (study.sweep.finitePopulation && !study.sweep.seed) study.sweep.seed = DrawSeed();
        std::vector<RunEnd> ends = Watched(
            [&](RunWatch& watch) { return ComputeStudy(study, threadCount, watch); }, progress);
        return SweepResult{std::move(study), settings, std::move(ends), py::object()};
      },
      py::arg("settings"), py::arg("axes"), py::arg("replicates") = 1,
      py::arg("population") = kInfinite, py::arg("sampling") = py::none(),
      py::arg("seed") = py::none(), py::arg("threads") = py::none(), py::kw_only(),
      py::arg("progress") = py::none(), py::arg("force") = false, kSweepDoc);
}

}  // namespace recmod::python
