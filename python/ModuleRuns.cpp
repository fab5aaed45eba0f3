#include "ModuleRuns.hpp"

#include <random>
#include <string>

#include "model/Int16.hpp"
#include "model/RecordedTable.hpp"
#include "model/RuntimeError.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/PrepareEngine.hpp"
#include "sweep/RunSweep.hpp"

namespace recmod::python {

namespace {

// The recorded table as RecordGeneration reads it: deme 1 with one deme,
// otherwise the means over the demes.
void AppendRecordedTable(const Engine& engine, int recordedSlot, std::vector<double>& out) {
  const int count = engine.tables.HaplotypeCount;
  for (int slot = recordedSlot; slot <= recordedSlot + 1; ++slot) {
    for (int h = 1; h <= count; ++h) out.push_back(engine.population.Freq(slot, 1, h));
  }
}

}  // namespace

std::uint64_t DrawSeed() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) | device();
}

SingleRunResult ComputeRun(const ModuleSettings& settings, bool finite,
                           const std::optional<std::uint64_t>& seed, RunWatch& watch) {
  const RunInputs inputs = RunInputsOf(settings, finite);
  const RunMode mode{.SingleRun = true, .InfinitePopulation = !finite};
  Engine engine;
  PrepareEngine(engine, static_cast<std::int16_t>(settings.Value("loci")), inputs);
  if (seed) engine.draw.generator.Seed(*seed, 0);
  if (finite) engine.params.CurrentLog10N = engine.params.Log10N;
  CollectedMessages messages;
  RunOutputs outputs{.messages = &messages, .stopRequested = &watch.stop};

  // The start frequencies are checked first, as a start checks them.
  BuildInitialState(engine, inputs, messages);
  if (engine.InitialStateRejected) throw SettingsError(messages.last);
  SingleRunResult result;
  result.haplotypes = engine.tables.HaplotypeCount;
  const std::int16_t lastGeneration = engine.params.MaxGen;
  result.frequencies.reserve(static_cast<std::size_t>(lastGeneration + 1) * 2U *
                             static_cast<std::size_t>(result.haplotypes));
  // The table the plot shows after each generation: deme 1, or the means over
  // the demes; every deme starts the same, so deme 1 is the start of the mean.
  const int recordedSlot = RecordedSlot(engine.params.Demes);
  watch.total = lastGeneration;
  outputs.afterGeneration = [&](const Engine& run) {
    AppendRecordedTable(run, run.Generation == 0 ? 0 : recordedSlot, result.frequencies);
    watch.done = run.Generation;
  };
  RunGenerations(engine, inputs, mode, outputs);
  result.rplus = engine.SexFrequency;
  return result;
}

namespace {

// Runs `sweep` from the settings' inputs and collects every run's final R+
// frequency in run order.
std::vector<double> CollectSweep(const Sweep& sweep, const RunInputs& inputs, const RunMode& mode,
                                 std::int16_t loci, int threads, RunWatch& watch) {
  Engine master;
  PrepareEngine(master, loci, inputs);
  const std::int64_t total = sweep.RunCount();
  std::vector<double> results(static_cast<std::size_t>(total));
  watch.total = total;
  if (total == 0) return results;
  SweepObserver observer;
  observer.stopRequested = &watch.stop;
  observer.consume = [&](std::int64_t run, const RunEnd& end) {
    results[static_cast<std::size_t>(run)] = end.rPlus;
    watch.done = run + 1;
  };
  RunSweep(sweep, master, inputs, mode, *MakeLoopExecutor(threads), observer);
  return results;
}

}  // namespace

std::vector<double> ComputeSweepSK(const ModuleSettings& settings, const std::vector<double>& S,
                                   const std::vector<double>& K, int threads, RunWatch& watch) {
  Sweep sweep;
  sweep.axes = {{FindParameter("S"), S}, {FindParameter("K"), K}};
  return CollectSweep(sweep, RunInputsOf(settings, false),
                      RunMode{.InfinitePopulation = true, .LoopOverSK = true},
                      static_cast<std::int16_t>(settings.Value("loci")), threads, watch);
}

std::vector<double> ComputeSweepLog10N(const ModuleSettings& settings,
                                       const std::vector<float>& log10n, int iterations,
                                       std::uint64_t seed, int threads, RunWatch& watch) {
  Sweep sweep;
  sweep.axes = {{FindParameter("log10n"), std::vector<double>(log10n.begin(), log10n.end())}};
  sweep.replicates = iterations;
  sweep.finitePopulation = true;
  sweep.seed = seed;
  sweep.handsOnS = true;
  return CollectSweep(sweep, RunInputsOf(settings, true), RunMode{.LoopOverLog10N = true},
                      static_cast<std::int16_t>(settings.Value("loci")), threads, watch);
}

}  // namespace recmod::python
