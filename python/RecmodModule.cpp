// The Python module: the engine's runs and loops as NumPy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "ModuleRuns.hpp"
#include "ModuleSettings.hpp"
#include "SettingsClass.hpp"
#include "StrictArguments.hpp"
#include "driver/ParameterListing.hpp"
#include "run/Engine.hpp"
#include "run/SweepRange.hpp"
#include "version/BuildInfo.hpp"

namespace py = pybind11;
using namespace recmod;
using namespace recmod::python;

namespace {

// Runs `compute` on a thread of its own with the GIL released, while the
// calling thread looks for Ctrl-C and calls `progress(done, total)` a few
// times a second. A pending signal (or an exception from `progress`) asks the
// computation to stop after its current generation and is raised here.
template <typename Compute>
auto Watched(Compute compute, const py::object& progress)
    -> decltype(compute(std::declval<RunWatch&>())) {
  using Result = decltype(compute(std::declval<RunWatch&>()));
  RunWatch watch;
  std::optional<Result> result;
  std::exception_ptr failure;
  std::optional<py::error_already_set> pythonError;
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  std::int64_t reported = -1;
  {
    py::gil_scoped_release release;
    std::thread worker([&] {
      try {
        result.emplace(compute(watch));
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      finished = true;
      finishedChanged.notify_all();
    });
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (finishedChanged.wait_for(lock, std::chrono::milliseconds(50),
                                     [&] { return finished; })) {
          break;
        }
      }
      if (pythonError) continue;
      const py::gil_scoped_acquire acquire;
      try {
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        const std::int64_t done = watch.done.load();
        if (!progress.is_none() && done != reported) {
          reported = done;
          progress(done, watch.total.load());
        }
      } catch (py::error_already_set& error) {
        pythonError.emplace(std::move(error));
        watch.stop = true;
      }
    }
    worker.join();
  }
  if (pythonError) throw std::move(*pythonError);
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const StartStopped&) {
      // Not reached: a stop always has its reason, kept above.
      PyErr_SetNone(PyExc_KeyboardInterrupt);
      throw py::error_already_set();
    }
  }
  if (!progress.is_none() && watch.done.load() != reported) {
    progress(watch.done.load(), watch.total.load());
  }
  return std::move(*result);
}

constexpr long long kMaxThreads = 1024;

int ThreadsOf(const py::object& threads) {
  if (threads.is_none()) {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
  }
  const long long count = WholeArgument("threads", threads);
  if (count < 1 || count > kMaxThreads) {
    throw SettingsError("threads = " + std::to_string(count) + " is outside its range 1 .. " +
                        std::to_string(kMaxThreads));
  }
  return static_cast<int>(count);
}

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
};

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
    }
  });

  DefineSettings(m);

  py::class_<RunResult>(m, "RunResult", "The outcome of recmod.run.")
      .def_readonly("frequencies", &RunResult::frequencies,
                    "Array (max_gen + 1, 2, haplotypes): after each generation (0: the start) "
                    "the haplotype frequencies of class R+ ([:, 0]) and R- ([:, 1]), averaged "
                    "over the demes as the plot shows them; not cumulative.")
      .def_readonly("rplus", &RunResult::rplus, "The final frequency of R+.")
      .def_readonly("seed", &RunResult::seed, "The seed of the run (None for N infinite).")
      .def_readonly("settings", &RunResult::settings, "The settings of the run.")
      .def(py::pickle(
          [](const RunResult& r) {
            return py::make_tuple(r.frequencies, r.rplus, r.seed, r.settings);
          },
          [](const py::tuple& state) {
            if (state.size() != 4) throw std::runtime_error("a RunResult is pickled as 4 values");
            return RunResult{state[0].cast<py::array_t<double>>(), state[1].cast<double>(),
                             state[2], state[3].cast<ModuleSettings>()};
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
        return RunResult{frequencies, computed.rplus, py::cast(seed), s};
      },
      py::arg("settings"), py::arg("finite") = false, py::arg("seed") = py::none(), py::kw_only(),
      py::arg("progress") = py::none(),
      R"(One run of settings.max_gen generations.

finite=False: N infinite (no drift unless settings.drift); finite=True: N =
10**settings.log10n with drift, its generator started from `seed` (an int
from 0 to 2**64 - 1, drawn when None). progress(generation, max_gen) is called a few times a second.
Returns a RunResult with .frequencies, .rplus, .seed, .settings.)");

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
        const int threadCount = ThreadsOf(threads);
        const std::vector<double> finals = Watched(
            [&](RunWatch& watch) {
              return ComputeSweepSK(s, sValues, kValues, threadCount, watch);
            },
            progress);
        return Array2D(finals, sValues.size(), kValues.size());
      },
      py::arg("settings"), py::arg("S") = py::none(), py::arg("K") = py::none(),
      py::arg("threads") = py::none(), py::kw_only(), py::arg("progress") = py::none(),
      R"(The loop over S and K with N infinite: final R+ frequencies, len(S) x len(K).

S, K: sequences of numbers in the ranges of Settings' S and K (default: the
window's grid, see default_sk_grid). Each run starts from its own S and K and
the other settings. threads: how many threads share the runs, an int from 1
to 1024 (default: all cores); any number gives the same array.
progress(runs done, runs in all).)");

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
With the inversion of S, each run starts with the S its position hands it.)");
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
        const int threadCount = ThreadsOf(threads);
        const auto perSize = static_cast<int>(iterations);
        const std::vector<double> finals = Watched(
            [&](RunWatch& watch) {
              return ComputeSweepLog10N(s, sizes, perSize, startSeed, threadCount, watch);
            },
            progress);
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
