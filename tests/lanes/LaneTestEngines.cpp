#include "lanes/LaneTestEngines.hpp"

#include <gtest/gtest.h>

#include "model/RecordedTable.hpp"
#include "model/RuntimeError.hpp"
#include "output/FrequencyPlot.hpp"
#include "output/PlotSurface.hpp"
#include "run/GenerationCycle.hpp"
#include "run/PlotRecording.hpp"
#include "run/PrepareEngine.hpp"

namespace recmod::testing {

RunInputs InputsFor(const SharedSettings& shared) {
  RunInputs inputs;
  inputs.params.u = 1e-3;
  inputs.params.w = 2e-4;
  inputs.params.S = 0.1;
  inputs.params.K = 1.0;
  inputs.params.MaxGen = shared.maxGen;
  inputs.params.z = shared.z;
  inputs.params.Iterations = 1;
  inputs.params.Demes = shared.demes;
  inputs.params.Diffusion = shared.diffusion;
  inputs.params.InversionPeriod = shared.inversionPeriod;
  inputs.switches.GeneticDrift = shared.drift;
  inputs.switches.ExactSampling = shared.exact;
  inputs.switches.TotalStochasticity = shared.totalStochasticity;
  inputs.switches.InversionOfS = shared.inversion;
  inputs.switches.SinusoidalOption = shared.sinusoid;
  inputs.start.alleles = {0.7, 0.4, 0.6};
  inputs.start.R = 0.5;
  inputs.SAmplitude = 0.3;
  return inputs;
}

RunMode ModeFor(const SharedSettings& shared) {
  RunMode mode;
  mode.InfinitePopulation = !shared.finite;
  mode.LoopOverSK = !shared.finite;
  mode.LoopOverLog10N = shared.finite;
  return mode;
}

Engine StartedEngine(const SharedSettings& shared, const RunOfBatch& run, std::uint64_t stream) {
  RunInputs inputs = InputsFor(shared);
  inputs.params.S = run.S;
  inputs.params.K = run.K;
  inputs.params.CurrentLog10N = run.log10N;
  Engine engine;
  PrepareEngine(engine, shared.loci, inputs);
  CollectedMessages messages;
  StartRun(engine, inputs, ModeFor(shared), messages);
  engine.draw.generator.Seed(20261207, stream);
  if (run.plant) run.plant(engine);
  return engine;
}

std::vector<std::vector<double>> ScalarHistory(Engine& engine, const SharedSettings& shared) {
  const RunInputs inputs = InputsFor(shared);
  // The plot's recorder, so that the result it shows is checked too.
  Recorder recorder;
  NullPlotSurface plot;
  PlotRecording recording(recorder, plot, nullptr, false);
  RunOutputs outputs{.recording = &recording};
  const int recorded = RecordedSlot(static_cast<std::int16_t>(shared.demes));
  std::vector<std::vector<double>> history;
  // The generation loop of RunGenerations, from the state as it stands.
  ClearFloatingPointFlags();
  for (engine.Generation = 1; engine.Generation <= shared.maxGen; ++engine.Generation) {
    AdvanceGeneration(engine, inputs, outputs);
    std::vector<double>& row = history.emplace_back();
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= engine.tables.HaplotypeCount; ++h) {
        row.push_back(engine.population.Freq(recorded + c, 1, h));
      }
    }
  }
  engine.SexFrequency = recorder.SexFrequency;
  return history;
}

void Plant(Engine& engine, int slot, int deme, std::initializer_list<double> values) {
  int h = 1;
  for (double value : values) engine.population.Freq(slot, deme, h++) = value;
}

void ForEveryLanePath(const std::function<void(LanePath)>& body) {
  const LanePath before = ActiveLanePath();
  for (LanePath path : AvailableLanePaths()) {
    SCOPED_TRACE(LanePathName(path));
    UseLanePath(path);
    body(path);
  }
  UseLanePath(before);
}

}  // namespace recmod::testing
