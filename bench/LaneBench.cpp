// The runs of a loop side by side: processor time per run-generation of every
// lane path (AVX-512, AVX2, one-lane baseline) beside the scalar engine, which
// takes the runs one at a time. Two figures per setting:
//   .../kernel/...  only the generations (RunLaneBatch, or the generation loop
//                   of RunGenerations), each run set up and started outside
//                   the timed region;
//   .../run/...     everything a loop does per run: the set-up of its S and K
//                   (or N and generator), the start state, and the generations.
// Loops at the window's start-up values with MaxGen 1000; mode 2 gives every
// lane its own S and K from the sweep, mode 3 every lane its own generator
// seeded from (1, position) at Log10(N) = 4.
// BM_SamplingRuns/<path>/loci:L/log10n:X/exact:E: mode 3 at Log10(N) 2, 4 and
// 6 under the draw (exact:0) and exact sampling (exact:1), the whole run.
#include <benchmark/benchmark.h>

#include <time.h>

#include <string>
#include <vector>

#include "driver/ReadParameters.hpp"
#include "lanes/LaneBatch.hpp"
#include "lanes/LanePath.hpp"
#include "model/RecordedTable.hpp"
#include "model/RuntimeError.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/LoopRuns.hpp"
#include "run/RunInputs.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

constexpr const char* kMaxGen = "1000";
constexpr std::uint64_t kSeed = 1;

struct LoopSetting {
  int loci;
  bool finite;  // mode 3; else mode 2
  int demes;
  int log10N = 4;
  bool exact = false;  // exact sampling in mode 3
};

// A loop as a start prepares it: the prepared engine, the inputs and the run
// mode, read from the window's fields like "Start simulation" reads them.
struct PreparedLoop {
  Engine engine;
  RunInputs inputs;
  RunMode mode;
  std::vector<double> sValues = SKLoopSValues();
  std::vector<double> kValues = SKLoopKValues();
};

void Type(Simulator& sim, int field, const std::string& text) {
  sim.controls.Text(field) = text;
  txt_LostFocus(sim, field);
}

PreparedLoop Prepare(const LoopSetting& setting) {
  Simulator sim;
  Form_Load(sim);
  if (setting.loci == 3) ToggleAllelesNumber_Click(sim);
  const int option = setting.finite ? 3 : 2;
  sim.controls.Option1Selected = option;
  Option1_GotFocus(sim, option);
  Type(sim, 17, kMaxGen);
  Type(sim, 10, std::to_string(setting.demes));
  if (setting.finite) {
    Type(sim, 18, std::to_string(setting.log10N));
    Type(sim, 19, std::to_string(setting.log10N));
  }
  if (setting.exact) SetTick(sim, CheckBox::ExactSampling, 1);
  ValidateInputs(sim);
  PreparedLoop loop;
  loop.inputs = ReadRunInputs(sim.controls, sim.engine.tables.AllelesNumber);
  loop.engine = sim.engine;
  loop.engine.params = loop.inputs.params;
  loop.mode = sim.runMode;
  CollectedMessages messages;
  BuildInitialState(loop.engine, loop.inputs, messages);
  loop.engine.params.CurrentLog10N = loop.engine.params.Log10N;
  if (setting.finite) loop.engine.params.CurrentLog10N = static_cast<float>(setting.log10N);
  return loop;
}

// What the loop does to a run's engine before RunGenerations, as the driver
// does it for the run at `position`.
void SetUp(const PreparedLoop& loop, std::int64_t position, Engine& engine, MessageSink& messages) {
  if (loop.mode.InfinitePopulation) {
    const auto runs = static_cast<std::int64_t>(loop.sValues.size() * loop.kValues.size());
    const auto at = position % runs;
    const auto perS = static_cast<std::int64_t>(loop.kValues.size());
    SetUpSKPosition(engine, loop.inputs, messages,
                    loop.sValues[static_cast<std::size_t>(at / perS)],
                    loop.kValues[static_cast<std::size_t>(at % perS)]);
  } else {
    SeedLoopRun(engine.draw, kSeed, static_cast<std::uint64_t>(position));
    BuildInitialState(engine, loop.inputs, messages);
  }
}

// The generations of RunGenerations after StartRun.
void AdvanceAllGenerations(Engine& engine, const PreparedLoop& loop, RunOutputs& outputs) {
  ClearFloatingPointFlags();
  for (engine.Generation = 1; engine.Generation <= engine.params.MaxGen; ++engine.Generation) {
    AdvanceGeneration(engine, loop.inputs, outputs);
  }
}

// `sampling`: the arguments of SamplingSettings, else those of Settings.
LoopSetting SettingOf(const benchmark::State& state, bool sampling) {
  if (sampling) {
    return {static_cast<int>(state.range(0)), true, 1, static_cast<int>(state.range(1)),
            state.range(2) != 0};
  }
  return {static_cast<int>(state.range(0)), state.range(1) != 0, static_cast<int>(state.range(2))};
}

void Report(benchmark::State& state, double runGenerations, std::int64_t runs,
            double sexFrequencySum) {
  state.counters["run_generations"] =
      benchmark::Counter(runGenerations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["runs"] = static_cast<double>(runs);
  // Keeps the results alive, and shows that the runs did something.
  state.counters["mean_result"] = runs > 0 ? sexFrequencySum / static_cast<double>(runs) : 0.0;
}

// Processor time of this thread: other load on the machine (which the wall
// clock would count) does not lengthen it.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// One batch of LaneWidth() runs per iteration on `path`.
// Keeps the path the process used before for the benchmarks that follow.
class KeepLanePath {
 public:
  KeepLanePath() : before_(ActiveLanePath()) {}
  ~KeepLanePath() { UseLanePath(before_); }
  KeepLanePath(const KeepLanePath&) = delete;
  KeepLanePath& operator=(const KeepLanePath&) = delete;

 private:
  LanePath before_;
};

void BM_LaneRuns(benchmark::State& state, LanePath path, bool kernelOnly, bool sampling) {
  const KeepLanePath keep;
  UseLanePath(path);
  const LoopSetting setting = SettingOf(state, sampling);
  const PreparedLoop loop = Prepare(setting);
  if (!LanesApply(loop.engine, loop.inputs, loop.mode)) {
    state.SkipWithError("these settings do not run side by side");
    return;
  }
  const int width = LaneWidth();
  std::vector<Engine> lanes(static_cast<std::size_t>(width), loop.engine);
  CollectedMessages messages;
  std::int64_t position = 0;
  std::int64_t runs = 0;
  double sum = 0.0;
  for (auto _ : state) {
    const double began = ThreadSeconds();
    for (Engine& lane : lanes) {
      SetUp(loop, position++, lane, messages);
      StartRun(lane, loop.inputs, loop.mode, messages);
    }
    const double kernel = ThreadSeconds();
    if (RunLaneBatch(lanes, loop.inputs, loop.mode, nullptr, nullptr) != LaneOutcome::Finished) {
      state.SkipWithError("a batch was left to the scalar engine");
      return;
    }
    state.SetIterationTime(ThreadSeconds() - (kernelOnly ? kernel : began));
    for (const Engine& lane : lanes) sum += lane.SexFrequency;
    runs += width;
  }
  if (messages.count > 0) state.SkipWithError("a run showed a message");
  Report(state, static_cast<double>(runs) * loop.engine.params.MaxGen, runs, sum);
}

// One run per iteration through the scalar engine, as a loop without lanes
// runs it.
void BM_ScalarRuns(benchmark::State& state, bool kernelOnly, bool sampling) {
  const LoopSetting setting = SettingOf(state, sampling);
  const PreparedLoop loop = Prepare(setting);
  Engine engine = loop.engine;
  CollectedMessages messages;
  RunOutputs outputs{.messages = &messages};
  std::int64_t position = 0;
  std::int64_t runs = 0;
  double sum = 0.0;
  for (auto _ : state) {
    const double began = ThreadSeconds();
    SetUp(loop, position++, engine, messages);
    if (kernelOnly) {
      StartRun(engine, loop.inputs, loop.mode, messages);
      const double kernel = ThreadSeconds();
      AdvanceAllGenerations(engine, loop, outputs);
      state.SetIterationTime(ThreadSeconds() - kernel);
      engine.SexFrequency = SexFrequencyOf(engine.population, engine.tables, engine.params.Demes);
    } else {
      RunGenerations(engine, loop.inputs, loop.mode, outputs);
      state.SetIterationTime(ThreadSeconds() - began);
    }
    sum += engine.SexFrequency;
    ++runs;
  }
  if (messages.count > 0) state.SkipWithError("a run showed a message");
  Report(state, static_cast<double>(runs) * loop.engine.params.MaxGen, runs, sum);
}

void Settings(benchmark::internal::Benchmark* b) {
  b->ArgNames({"loci", "finite", "demes"});
  for (int loci : {2, 3})
    for (int finite : {0, 1})
      for (int demes : {1, 10}) b->Args({loci, finite, demes});
  // The "manual" time is the processor time of the timed region.
  b->UseManualTime();
}

void SamplingSettings(benchmark::internal::Benchmark* b) {
  b->ArgNames({"loci", "log10n", "exact"});
  for (int loci : {2, 3})
    for (int log10N : {2, 4, 6})
      for (int exact : {0, 1}) b->Args({loci, log10N, exact});
  b->UseManualTime();
}

// Names: BM_LaneRuns/<path>/<timed>/loci:L/finite:F/demes:D, with path
// avx512, avx2, baseline or scalar (the scalar engine, one run at a time).
const bool kRegistered = [] {
  for (const bool kernelOnly : {true, false}) {
    const std::string timed = kernelOnly ? "kernel" : "run";
    std::vector<LanePath> paths = AvailableLanePaths();
    paths.push_back(LanePath::Scalar);
    for (const LanePath path : paths) {
      const std::string name = std::string("BM_LaneRuns/") + LanePathName(path) + "/" + timed;
      if (path == LanePath::Scalar) {
        benchmark::RegisterBenchmark(name.c_str(), BM_ScalarRuns, kernelOnly, false)
            ->Apply(Settings);
      } else {
        benchmark::RegisterBenchmark(name.c_str(), BM_LaneRuns, path, kernelOnly, false)
            ->Apply(Settings);
      }
    }
  }
  std::vector<LanePath> paths = AvailableLanePaths();
  paths.push_back(LanePath::Scalar);
  for (const LanePath path : paths) {
    const std::string name = std::string("BM_SamplingRuns/") + LanePathName(path);
    if (path == LanePath::Scalar) {
      benchmark::RegisterBenchmark(name.c_str(), BM_ScalarRuns, false, true)
          ->Apply(SamplingSettings);
    } else {
      benchmark::RegisterBenchmark(name.c_str(), BM_LaneRuns, path, false, true)
          ->Apply(SamplingSettings);
    }
  }
  return true;
}();

}  // namespace
}  // namespace recmod
