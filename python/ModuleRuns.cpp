#include "ModuleRuns.hpp"

#include <random>
#include <string>

#include "control/GenerationCycle.hpp"
#include "control/InitialState.hpp"
#include "control/LoopRuns.hpp"
#include "control/PrepareEngine.hpp"
#include "lanes/SideBySide.hpp"
#include "model/Int16.hpp"
#include "model/RuntimeError.hpp"
#include "parallel/ParallelLoopExecutor.hpp"

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

RunOutputs OutputsFor(PlotSurface& plot, MessageSink& messages, const RunWatch& watch) {
  return RunOutputs{plot, nullptr, messages, &watch.stop};
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
  PrepareEngine(engine, static_cast<std::int16_t>(settings.loci), inputs);
  if (seed) engine.draw.generator.Seed(*seed, 0);
  if (finite) engine.params.CurrentLog10N = engine.params.Log10N;
  NullPlotSurface plot;
  CollectedMessages messages;
  RunOutputs outputs = OutputsFor(plot, messages, watch);

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
  const int recordedSlot = engine.params.Demes <= 1 ? 0 : 3;
  watch.total = lastGeneration;
  outputs.afterGeneration = [&](const Engine& run) {
    AppendRecordedTable(run, run.Generation == 0 ? 0 : recordedSlot, result.frequencies);
    watch.done = run.Generation;
  };
  RunGenerations(engine, inputs, mode, outputs);
  result.rplus = engine.recorder.SexFrequency;
  return result;
}

std::vector<double> ComputeSweepSK(const ModuleSettings& settings, const std::vector<double>& S,
                                   const std::vector<double>& K, int threads, RunWatch& watch) {
  const RunInputs inputs = RunInputsOf(settings, false);
  const RunMode mode{.InfinitePopulation = true, .LoopOverSK = true};
  Engine master;
  PrepareEngine(master, static_cast<std::int16_t>(settings.loci), inputs);
  const auto perBlock = static_cast<std::int64_t>(K.size());
  const auto total = static_cast<std::int64_t>(S.size()) * perBlock;
  std::vector<double> results(static_cast<std::size_t>(total));
  watch.total = total;
  if (total == 0) return results;

  LoopBody body;
  body.reach = [](std::int64_t) {};
  body.run = [&](std::int64_t position, Engine& engine) {
    NullPlotSurface plot;
    CollectedMessages messages;
    RunOutputs outputs = OutputsFor(plot, messages, watch);
    return RunSKPosition(engine, inputs, mode, outputs,
                         S[static_cast<std::size_t>(position / perBlock)],
                         K[static_cast<std::size_t>(position % perBlock)]);
  };
  body.consume = [&](std::int64_t position, double result) {
    results[static_cast<std::size_t>(position)] = result;
    watch.done = position + 1;
  };
  RunSideBySide(
      body,
      [&](std::int64_t position, Engine& engine, MessageSink& messages) {
        SetUpSKPosition(engine, inputs, messages, S[static_cast<std::size_t>(position / perBlock)],
                        K[static_cast<std::size_t>(position % perBlock)]);
      },
      master, inputs, mode, &watch.stop);
  MakeLoopExecutor(threads)->Execute(total, master, body);
  return results;
}

std::vector<double> ComputeSweepLog10N(const ModuleSettings& settings,
                                       const std::vector<float>& log10n, int iterations,
                                       std::uint64_t seed, int threads, RunWatch& watch) {
  const RunInputs inputs = RunInputsOf(settings, true);
  const RunMode mode{.LoopOverLog10N = true};
  Engine master;
  PrepareEngine(master, static_cast<std::int16_t>(settings.loci), inputs);
  const std::int64_t perBlock = iterations;
  const auto total = static_cast<std::int64_t>(log10n.size()) * perBlock;
  std::vector<double> results(static_cast<std::size_t>(total));
  watch.total = total;
  if (total == 0) return results;
  const InversionHandOver handOver = InversionHandOverOf(inputs.switches, master.params);
  const std::optional<std::uint64_t> startSeed = seed;

  LoopBody body;
  body.reach = [](std::int64_t) {};
  // A run's N, the S it starts with and its generator.
  auto placeRun = [&](std::int64_t position, Engine& engine) {
    engine.params.CurrentLog10N = log10n[static_cast<std::size_t>(position / perBlock)];
    StartSOfRun(handOver, position, engine);
    engine.draw.ReseedCount = static_cast<std::uint64_t>(position);
    SeedLoopRun(engine.draw, startSeed, static_cast<std::uint64_t>(position));
  };
  body.run = [&](std::int64_t position, Engine& engine) {
    placeRun(position, engine);
    NullPlotSurface plot;
    CollectedMessages messages;
    RunOutputs outputs = OutputsFor(plot, messages, watch);
    return RunLog10NPosition(engine, inputs, mode, outputs);
  };
  body.consume = [&](std::int64_t position, double result) {
    results[static_cast<std::size_t>(position)] = result;
    watch.done = position + 1;
  };
  RunSideBySide(
      body,
      [&](std::int64_t position, Engine& engine, MessageSink& messages) {
        placeRun(position, engine);
        BuildInitialState(engine, inputs, messages);
      },
      master, inputs, mode, &watch.stop);
  MakeLoopExecutor(threads)->Execute(total, master, body);
  return results;
}

}  // namespace recmod::python
