// Sweeps over any parameter against the window's loop over S and K, with the
// same number of runs and generations: axes over per-lane numbers (u, K) go
// side by side as S and K do; an axis over a constant of a batch (the demes)
// splits the batches where it changes, and should cost no more than running
// each of its values as a sweep of its own.
#include <benchmark/benchmark.h>

#include <vector>

#include "run/Engine.hpp"
#include "run/LoopExecutor.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"
#include "sweep/RunSweep.hpp"

namespace recmod {
namespace {

std::vector<double> Spaced(double from, double to, int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(from + (to - from) * i / (count - 1));
  return values;
}

// Every parameter at its start value (MaxGen 250), N infinite.
RunInputs StartUpInputs() {
  RunInputs inputs;
  for (const ParameterInfo& parameter : Parameters()) {
    if (parameter.apply != nullptr) parameter.apply(inputs, parameter.startValue);
  }
  return inputs;
}

std::int64_t RunAll(const std::vector<Sweep>& sweeps, const RunInputs& inputs) {
  const RunMode mode{.InfinitePopulation = true, .LoopOverSK = true};
  std::int64_t runs = 0;
  for (const Sweep& sweep : sweeps) {
    Engine master;
    PrepareEngine(master, 2, inputs);
    SweepObserver observer;
    observer.consume = [&](std::int64_t, const RunEnd& end) {
      benchmark::DoNotOptimize(end.rPlus);
      ++runs;
    };
    SequentialLoopExecutor executor;
    RunSweep(sweep, master, inputs, mode, executor, observer);
  }
  return runs;
}

Sweep TwoAxes(const char* first, std::vector<double> firstValues, const char* second,
              std::vector<double> secondValues) {
  Sweep sweep;
  sweep.axes = {{FindParameter(first), std::move(firstValues)},
                {FindParameter(second), std::move(secondValues)}};
  return sweep;
}

// 0: S x K (the window's loop), 1: u x K, 2: demes x u in one sweep,
// 3: the same runs as one sweep over u per number of demes. 400 runs each.
void BM_Sweep(benchmark::State& state) {
  const RunInputs inputs = StartUpInputs();
  std::vector<Sweep> sweeps;
  switch (state.range(0)) {
    case 0:
      sweeps = {TwoAxes("S", Spaced(-0.1, 0.3, 20), "K", Spaced(0.5, 2.0, 20))};
      break;
    case 1:
      sweeps = {TwoAxes("u", Spaced(1e-4, 1e-2, 20), "K", Spaced(0.5, 2.0, 20))};
      break;
    case 2:
      sweeps = {TwoAxes("demes", {1, 2, 3, 4}, "u", Spaced(1e-4, 1e-2, 100))};
      break;
    default:
      for (const double demes : {1, 2, 3, 4}) {
        sweeps.push_back(TwoAxes("demes", {demes}, "u", Spaced(1e-4, 1e-2, 100)));
      }
  }
  std::int64_t runs = 0;
  for (auto _ : state) runs += RunAll(sweeps, inputs);
  state.counters["run-generations"] = benchmark::Counter(
      static_cast<double>(runs) * inputs.params.MaxGen, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Sweep)->ArgName("axes")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace recmod
