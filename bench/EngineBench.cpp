// Cost of one deme-generation of the full cycle, and the floor it is measured
// against: the same number of DrawFrequency calls in a tight loop.
#include <benchmark/benchmark.h>

#include <vector>

#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"

namespace recmod {
namespace {

struct Setting {
  int loci;
  bool finite;
  int demes;
};

struct Bench {
  RunInputs inputs;
  Engine engine;
  RunMode mode;
  CollectedMessages messages;
};

// Start-up values with every allele at 0.5 so that all haplotypes carry
// frequency, N = 10^6 for the finite population (with drift, as its run mode
// ticks it) and diffusion 0.1 between demes.
void Prepare(Bench& b, const Setting& s) {
  ModelParameters& p = b.inputs.params;
  p.u = 1e-5;
  p.w = 1e-5;
  p.S = 0.1;
  p.K = 1.0;
  p.MaxGen = 10000;
  p.Iterations = 100;
  p.Log10N = 6.0F;
  p.Demes = static_cast<std::int16_t>(s.demes);
  p.Diffusion = 0.1F;
  p.InversionPeriod = 100;
  b.inputs.SAmplitude = p.S;
  b.inputs.start.alleles = {0.5, 0.5, 0.5};
  b.inputs.start.R = 0.5;
  b.inputs.switches.GeneticDrift = s.finite;
  b.mode.InfinitePopulation = !s.finite;
  PrepareEngine(b.engine, static_cast<std::int16_t>(s.loci), b.inputs);
  b.engine.params.CurrentLog10N = b.engine.params.Log10N;
  b.engine.draw.InfinitePopulation = b.mode.InfinitePopulation;
  BuildInitialState(b.engine, b.inputs, b.messages);
  BuildMutationCoefficients(b.engine.params, b.engine.tables, b.engine.mutation, b.engine.draw);
  b.engine.Generation = 1;
}

Setting SettingOf(const benchmark::State& state) {
  return {static_cast<int>(state.range(0)), state.range(1) != 0, static_cast<int>(state.range(2))};
}

void BM_DemeGeneration(benchmark::State& state) {
  const Setting s = SettingOf(state);
  Bench b;
  Prepare(b, s);
  RunOutputs outputs{.messages = &b.messages};
  const auto drawsBefore = b.engine.draw.DrawCount;
  long long generations = 0;
  for (auto _ : state) {
    b.engine.Generation = 2;
    AdvanceGeneration(b.engine, b.inputs, outputs);
    ++generations;
  }
  const double demeGenerations = static_cast<double>(generations) * s.demes;
  state.counters["deme_generations"] = benchmark::Counter(
      demeGenerations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["draws_per_deme_generation"] =
      static_cast<double>(b.engine.draw.DrawCount - drawsBefore) / demeGenerations;
}

// The same number of draws as one deme-generation makes, on the same
// generator, with arguments spread like the frequencies of a deme.
void BM_DrawFloor(benchmark::State& state) {
  const Setting s = SettingOf(state);
  Bench b;
  Prepare(b, s);
  RunOutputs outputs{.messages = &b.messages};
  // Replay the very arguments of one generation, deme by deme.
  std::vector<double> arguments;
  b.engine.draw.ArgumentLog = &arguments;
  b.engine.Generation = 2;
  AdvanceGeneration(b.engine, b.inputs, outputs);
  b.engine.draw.ArgumentLog = nullptr;
  const auto perDemeGeneration = static_cast<long long>(arguments.size()) / s.demes;
  RandomDraw& draw = b.engine.draw;
  std::size_t next = 0;
  long long rounds = 0;
  for (auto _ : state) {
    for (long long i = 0; i < perDemeGeneration; ++i) {
      benchmark::DoNotOptimize(DrawFrequency(draw, arguments[next]));
      if (++next == arguments.size()) next = 0;
    }
    ++rounds;
  }
  state.counters["deme_generations"] = benchmark::Counter(
      static_cast<double>(rounds), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["draws_per_deme_generation"] = static_cast<double>(perDemeGeneration);
}

void Settings(benchmark::internal::Benchmark* b) {
  b->ArgNames({"loci", "finite", "demes"});
  for (int loci : {2, 3})
    for (int finite : {0, 1})
      for (int demes : {1, 100}) b->Args({loci, finite, demes});
}

void FloorSettings(benchmark::internal::Benchmark* b) {
  b->ArgNames({"loci", "finite", "demes"});
  for (int loci : {2, 3})
    for (int demes : {1, 100}) b->Args({loci, 1, demes});
}

BENCHMARK(BM_DemeGeneration)->Apply(Settings);
BENCHMARK(BM_DrawFloor)->Apply(FloorSettings);

}  // namespace
}  // namespace recmod
