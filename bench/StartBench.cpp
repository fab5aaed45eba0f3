// Whole starts of the loop modes inside one process, at one thread and at
// every core: how the runs of a loop scale, without the cost of starting a
// program (which recmod-batch pays once per start).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

// A directory for the report files of the benchmark, removed at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "recmod-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string string() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

int AllCores() {
  return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

// "Start simulation" in run mode `mode` at the start-up values, as the user
// leaves the window after choosing the mode and the directory, or with MaxGen
// `maxgen` typed in (0: the start-up value).
void BM_LoopStart(benchmark::State& state) {
  const auto mode = static_cast<int>(state.range(0));
  const int threads = state.range(1) == 0 ? AllCores() : static_cast<int>(state.range(1));
  const auto maxGen = state.range(2);
  ScratchDirectory directory;
  for (auto _ : state) {
    Simulator sim;
    Form_Load(sim);
    sim.controls.Option1Selected = mode;
    Option1_GotFocus(sim, mode);
    sim.controls.Text(30) = directory.string();
    txt_LostFocus(sim, 30);
    if (maxGen > 0) {
      sim.controls.Text(17) = std::to_string(maxGen);
      txt_LostFocus(sim, 17);
    }
    sim.threads = threads;
    sim.seed = 1;
    if (Start_Click(sim) != StartOutcome::Finished) state.SkipWithError("the start did not finish");
  }
  state.counters["threads"] = threads;
}

double Least(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// Threads 0: every core. Mode 2 at MaxGen 1000 as well: long enough for the
// runs side by side to show how they scale.
BENCHMARK(BM_LoopStart)
    ->ArgNames({"mode", "threads", "maxgen"})
    ->Args({2, 1, 0})
    ->Args({2, 0, 0})
    ->Args({3, 1, 0})
    ->Args({3, 0, 0})
    ->Args({2, 1, 1000})
    ->Args({2, 0, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ComputeStatistics("min", Least);

}  // namespace
}  // namespace recmod
