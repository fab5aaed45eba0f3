// The Python module: the engine's runs and loops as NumPy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "ModuleRuns.hpp"
#include "ModuleSettings.hpp"
#include "ModuleStudies.hpp"
#include "SettingsClass.hpp"
#include "StrictArguments.hpp"
#include "SweepClass.hpp"
#include "Watched.hpp"
#include "driver/ParameterListing.hpp"
#include "run/SweepRange.hpp"
#include "sweep/SweepAxisCheck.hpp"
#include "version/BuildInfo.hpp"

namespace py = pybind11;
using namespace recmod;
using namespace recmod::python;

namespace {

py::array_t<double> Array2D(const std::vector<double>& values, std::size_t rows,
                            std::size_t columns) {
  py::array_t<double> array({rows, columns});
  std::copy(values.begin(), values.end(), array.mutable_data());
  return array;
}

struct RunResult {
  py::array_t<double> frequencies;
  double rplus = 0.0;
  py::object seed;
  ModuleSettings settings;
  bool finite = false;
};

// What made a run, as a dict that json.dump writes and from which the run can
// be made again.
py::dict RunRecordDict(const RunResult& r) {
  py::dict program;
  program["name"] = "recmod";
  program["version"] = ProgramVersion();
  program["source_revision"] = SourceRevision();
  program["compiler"] = CompilerName();
  py::dict record;
  record["format"] = 1;
  record["kind"] = "run";
  record["program"] = program;
  record["front_end"] = "python";
  record["settings"] = AsDict(r.settings);
  record["population"] = r.finite ? "finite" : "infinite";
  record["seed"] = r.finite ? r.seed : py::none();
  record["rplus"] = r.rplus;
  return record;
}

constexpr const char* kModuleDoc =
    R"(Simulations of the evolution of recombination, as NumPy arrays.

A modifier locus (R+ recombines, R- does not) rides on two or three biallelic
loci under selection S, epistasis K, mutation u/w, drift and demes. The numbers
are those of the engine behind the window and recmod-batch.

    s = recmod.Settings(S=-0.05, K=1.1, loci=3)
    r = recmod.run(s)                       # one run, N infinite
    r.frequencies.shape                     # (max_gen + 1, 2, 8)
    grid = recmod.sweep_sk(s)               # final R+ over the default S x K grid
    rplus, seed = recmod.sweep_log10n(s, [3, 4], iterations=20, seed=7)
    study = recmod.sweep(s, {"u": [1e-5, 1e-3], "K": [0.8, 1.2]},
                         replicates=50, population="finite", seed=7)
    study.runs, study.summary(), study.to_csv("table.csv"), study.save_record(".")

Runs release the GIL; Ctrl-C stops them within a generation (KeyboardInterrupt).
run and the sweeps take progress=callable(done, total), called a few times a second.)";

// `text` with each {name} and {name.max} replaced by the least and greatest
// value of that parameter.
std::string WithRanges(std::string text) {
  for (const char* name : {"log10n", "iterations"}) {
    const ParameterRange range = RangeOf(name);
    for (const auto& [key, value] : {std::pair{std::string("{") + name + "}", range.minimum},
                                     std::pair{std::string("{") + name + ".max}", range.maximum}}) {
      for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
        text.replace(at, key.size(), ShortestText(value));
      }
    }
  }
  return text;
}

}  // namespace

PYBIND11_MODULE(recmod, m) {
  m.doc() = kModuleDoc;
  m.attr("__version__") = ProgramVersion();
  py::register_exception_translator([](std::exception_ptr pointer) {
    try {
      if (pointer) std::rethrow_exception(pointer);
    } catch (const SettingsError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const SweepError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());
    }
  });

  DefineSettings(m);
  DefineSweep(m);

  py::class_<RunResult>(m, "RunResult", "The outcome of recmod.run.")
      .def_readonly("frequencies", &RunResult::frequencies,
                    "Array (max_gen + 1, 2, haplotypes): after each generation (0: the start) "
                    "the haplotype frequencies of class R+ ([:, 0]) and R- ([:, 1]), averaged "
                    "over the demes as the plot shows them; not cumulative.")
      .def_readonly("rplus", &RunResult::rplus, "The final frequency of R+.")
      .def_readonly("seed", &RunResult::seed, "The seed of the run (None for N infinite).")
      .def_readonly("settings", &RunResult::settings, "The settings of the run.")
      .def_readonly("finite", &RunResult::finite, "Whether N was finite (with drift).")
      .def("record", &RunRecordDict,
           R"(What made the run, as a dict that json.dump writes: format 1, kind "run",
program (name, version, source_revision, compiler), front_end "python",
settings (Settings.as_dict()), population ("finite" or "infinite"), seed
(None for N infinite) and rplus. Keep it beside a result to say what made
it; the run is made again, to the last bit, by
recmod.run(recmod.Settings(**r["settings"]), finite=r["population"] == "finite",
seed=r["seed"]).)")
      .def(py::pickle(
          [](const RunResult& r) {
            return py::make_tuple(r.frequencies, r.rplus, r.seed, r.settings, r.finite);
          },
          [](const py::tuple& state) {
            // Four values: pickled before results knew their population.
            if (state.size() != 4 && state.size() != 5) {
              throw std::runtime_error("a RunResult is pickled as 5 values");
            }
            return RunResult{state[0].cast<py::array_t<double>>(), state[1].cast<double>(),
                             state[2], state[3].cast<ModuleSettings>(),
                             state.size() == 5 ? state[4].cast<bool>() : !state[2].is_none()};
          }));

  m.def(
      "run",
      [](const ModuleSettings& s, const py::object& finiteArgument, const py::object& seedArgument,
         const py::object& progress) {
        CheckSettings(s);
        const bool finite = SwitchArgument("finite", finiteArgument);
        std::optional<std::uint64_t> seed = SeedArgument("seed", seedArgument);
        if (finite && !seed) seed = DrawSeed();
        SingleRunResult computed =
            Watched([&](RunWatch& watch) { return ComputeRun(s, finite, seed, watch); }, progress);
        const auto generations =
            computed.frequencies.size() / 2U / static_cast<std::size_t>(computed.haplotypes);
        py::array_t<double> frequencies(
            {generations, std::size_t{2}, static_cast<std::size_t>(computed.haplotypes)});
        std::copy(computed.frequencies.begin(), computed.frequencies.end(),
                  frequencies.mutable_data());
        return RunResult{frequencies, computed.rplus, py::cast(seed), s, finite};
      },
      py::arg("settings"), py::arg("finite") = false, py::arg("seed") = py::none(), py::kw_only(),
      py::arg("progress") = py::none(),
      R"(One run of settings.max_gen generations.

finite=False: N infinite (no drift unless settings.drift); finite=True: N =
10**settings.log10n with drift, its generator started from `seed` (an int
from 0 to 2**64 - 1, drawn when None). progress(generation, max_gen) is called a few times a second.
Returns a RunResult with .frequencies, .rplus, .seed, .settings, .finite and
.record().)");

  m.def(
      "default_sk_grid",
      [] {
        return py::make_tuple(py::cast(SweepValues(kDefaultSSweep)),
                              py::cast(SweepValues(kDefaultKSweep)));
      },
      "The values of S and K (lists) that the window's loop over S and K visits.");

  m.def(
      "sweep_sk",
      [](const ModuleSettings& s, const py::object& S, const py::object& K,
         const py::object& threads, const py::object& progress) {
        CheckSettings(s);
        const std::vector<double> sValues =
            S.is_none() ? SweepValues(kDefaultSSweep) : NumbersArgument("S", S);
        const std::vector<double> kValues =
            K.is_none() ? SweepValues(kDefaultKSweep) : NumbersArgument("K", K);
        for (const double value : sValues) CheckParameter("S", value);
        for (const double value : kValues) CheckParameter("K", value);
        const int threadCount = ThreadsArgument(threads);
        std::vector<double> finals;
        if (DriftSetAgainst(s, false)) {
          // Drift with N infinite: the window's loop does that, no study does.
          finals = Watched(
              [&](RunWatch& watch) {
                return ComputeSweepSK(s, sValues, kValues, threadCount, watch);
              },
              progress);
        } else {
          StudyRequest request;
          request.axes = {{"S", sValues}, {"K", kValues}};
          request.force = true;
          const Study study = StudyOf(s, request);
          finals = FinalFrequencies(Watched(
              [&](RunWatch& watch) { return ComputeStudy(study, threadCount, watch); }, progress));
        }
        return Array2D(finals, sValues.size(), kValues.size());
      },
      py::arg("settings"), py::arg("S") = py::none(), py::arg("K") = py::none(),
      py::arg("threads") = py::none(), py::kw_only(), py::arg("progress") = py::none(),
      R"(The loop over S and K with N infinite: final R+ frequencies, len(S) x len(K).

S, K: sequences of numbers in the ranges of Settings' S and K (default: the
window's grid, see default_sk_grid). Each run starts from its own S and K and
the other settings. threads: how many threads share the runs, an int from 1
to 1024 (default: all cores); any number gives the same array.
progress(runs done, runs in all). The same runs as
recmod.sweep(settings, {"S": S, "K": K}).runs["rplus"].)");

  static const std::string sweepLog10NDoc = WithRanges(
      R"(The loop over Log10(N) with drift: returns (rplus, seed).

log10n: a sequence of sizes, each a whole or half number from {log10n} to {log10n.max}.
iterations: runs per size, an int from {iterations} to {iterations.max}. threads: an int from
1 to 1024 (default: all cores); any number gives the same array.
rplus: final R+ frequencies, len(log10n) x iterations. Run i of size j is at
position p = j * iterations + i of the sweep; its generator is started from
(seed, p), so a given seed repeats the sweep exactly, and equals recmod-batch
--mode 3 --seed with the same sizes. seed: an int from 0 to 2**64 - 1,
drawn when None, and returned.
With the inversion of S, each run starts with the S its position hands it;
otherwise the same runs as recmod.sweep(settings, {"log10n": log10n},
iterations, "finite", seed=seed).)");
  m.def(
      "sweep_log10n",
      [](const ModuleSettings& s, const py::object& log10n, const py::object& iterationsArgument,
         const py::object& seedArgument, const py::object& threads, const py::object& progress) {
        CheckSettings(s);
        const long long iterations = WholeArgument("iterations", iterationsArgument);
        CheckParameter("iterations", static_cast<double>(iterations));
        const std::optional<std::uint64_t> seed = SeedArgument("seed", seedArgument);
        std::vector<float> sizes;
        for (const double value : NumbersArgument("log10n", log10n)) {
          CheckParameter("log10n", value);
          sizes.push_back(static_cast<float>(value));
        }
        const std::uint64_t startSeed = seed ? *seed : DrawSeed();
        const int threadCount = ThreadsArgument(threads);
        const auto perSize = static_cast<int>(iterations);
        std::vector<double> finals;
        if (DriftSetAgainst(s, true)) {
          // A finite population without drift: the window's loop runs it, no study does.
          finals = Watched(
              [&](RunWatch& watch) {
                return ComputeSweepLog10N(s, sizes, perSize, startSeed, threadCount, watch);
              },
              progress);
        } else {
          StudyRequest request;
          request.axes = {{"log10n", std::vector<double>(sizes.begin(), sizes.end())}};
          request.replicates = iterations;
          request.finitePopulation = true;
          request.exactSampling = s.Value("exact_sampling") != 0.0;
          request.seed = startSeed;
          request.force = true;
          Study study = StudyOf(s, request);
          // The window's loop hands S on from run to run under the inversion.
          study.sweep.handsOnS = true;
          finals = FinalFrequencies(Watched(
              [&](RunWatch& watch) { return ComputeStudy(study, threadCount, watch); }, progress));
        }
        return py::make_tuple(Array2D(finals, sizes.size(), static_cast<std::size_t>(perSize)),
                              startSeed);
      },
      py::arg("settings"), py::arg("log10n"), py::arg("iterations"), py::arg("seed") = py::none(),
      py::arg("threads") = py::none(), py::kw_only(), py::arg("progress") = py::none(),
      sweepLog10NDoc.c_str());

  m.def(
      "parameters",
      [] {
        py::list rows;
        for (const ParameterRow& row : ParameterRows()) {
          const std::array<const std::string*, kParameterColumns.size()> values = {
              &row.name,       &row.aliases, &row.field, &row.windowRange, &row.modelDomain,
              &row.startValue, &row.kind,    &row.role,  &row.description};
          py::dict entry;
          for (std::size_t i = 0; i < values.size(); ++i) entry[kParameterColumns[i]] = *values[i];
          rows.append(entry);
        }
        return rows;
      },
      R"(The table of parameters: one dict per parameter with the keys name, aliases,
field, window range, model domain, default, kind, role and description, the
same rows (as text) that recmod-batch --parameters prints. The window range is
what the window accepts; the model domain is every value for which the model
is sound.)");
}
