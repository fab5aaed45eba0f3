#include "run/GenerationCycle.hpp"

#include <cmath>
#include <string>

#include "model/Diffusion.hpp"
#include "model/GeneticDrift.hpp"
#include "model/Int16.hpp"
#include "model/Recombination.hpp"
#include "model/RecordedTable.hpp"
#include "model/Selection.hpp"
#include "run/InitialState.hpp"

namespace recmod {

double SinusoidalS(double amplitude, double r) {
  return amplitude * std::sin((r / 2.0 - std::floor(r / 2.0)) * 6.28318530717958);
}

void VaryS(Engine& engine, const RunInputs& inputs) {
  ModelParameters& params = engine.params;
  if (params.InversionPeriod == 0) {
    throw RuntimeError(ErrorKind::DivisionByZero, "the inversion period is 0");
  }
  const double r = static_cast<double>(engine.Generation) / params.InversionPeriod;
  if (inputs.switches.SinusoidalOption) {
    params.S = SinusoidalS(inputs.SAmplitude, r);
    DeriveSelectionTerms(engine.tables.AllelesNumber, params);
  } else if (std::floor(r) == r) {
    params.S = -params.S;
    DeriveSelectionTerms(engine.tables.AllelesNumber, params);
  }
}

void AdvanceGeneration(Engine& engine, const RunInputs& inputs, RunOutputs& outputs) {
  const RunSwitches& switches = inputs.switches;
  if (switches.InversionOfS) VaryS(engine, inputs);
  if (switches.RecombForR) {
    Recombine(engine.params, engine.tables, engine.population, engine.draw);
  }
  if (switches.GeneticDrift) {
    ApplyGeneticDrift(engine.params, engine.tables, engine.population, engine.draw);
  }
  ApplySelection(engine.params, engine.tables, engine.population, engine.draw);
  ApplyMutation(engine.params, engine.tables, engine.mutation, switches.TotalStochasticity,
                engine.population, engine.draw);
  DiffuseBetweenDemes(engine.params, engine.tables, engine.population, engine.draw);
  CheckFloatingPointFlags("model step");
  if (outputs.recording != nullptr) outputs.recording->AfterGeneration(engine);
}

void StartRun(Engine& engine, const RunInputs& inputs, const RunMode& mode, MessageSink& messages) {
  engine.draw.InfinitePopulation = mode.InfinitePopulation;
  engine.draw.ExactSampling = inputs.switches.ExactSampling;
  BuildInitialState(engine, inputs, messages);
  BuildMutationCoefficients(engine.params, engine.tables, engine.mutation, engine.draw);
}

namespace {

// In a finite population, notes the first generation after which one class
// of the modifier has no carriers left: R+ is then fixed or lost for good.
void NoteAbsorption(Engine& engine) {
  if (engine.Outcome != RunOutcome::Segregating) return;
  const ModifierPresence presence =
      ModifierPresenceOf(engine.population, engine.tables.HaplotypeCount, engine.params.Demes);
  if (presence.sex == presence.asex) return;
  engine.Outcome = presence.sex ? RunOutcome::Fixed : RunOutcome::Lost;
  engine.AbsorbedAt = engine.Generation;
}

}  // namespace

void RunGenerations(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                    RunOutputs& outputs) {
  CollectedMessages dropped;
  StartRun(engine, inputs, mode, outputs.messages != nullptr ? *outputs.messages : dropped);
  const std::int16_t lastGeneration = engine.params.MaxGen;
  const bool finite = !mode.InfinitePopulation;
  engine.Outcome = RunOutcome::Segregating;
  engine.AbsorbedAt = -1;
  if (finite) {
    engine.Generation = 0;
    NoteAbsorption(engine);
  }
  if (outputs.afterGeneration) {
    engine.Generation = 0;
    outputs.afterGeneration(engine);
  }
  ClearFloatingPointFlags();
  engine.Generation = 1;
  while (engine.Generation <= lastGeneration) {
    try {
      AdvanceGeneration(engine, inputs, outputs);
    } catch (const RuntimeError& error) {
      throw RuntimeError(
          error.kind(), error.detail() + " (generation " + std::to_string(engine.Generation) + ")");
    }
    if (finite) NoteAbsorption(engine);
    if (outputs.afterGeneration) outputs.afterGeneration(engine);
    engine.Generation = CheckedInt16(engine.Generation + 1LL);
    if (outputs.stopRequested != nullptr &&
        outputs.stopRequested->load(std::memory_order_relaxed)) {
      throw StartStopped{};
    }
  }
  // A run without generations leaves the result as it was, as the recorder,
  // which sets it in every generation, would.
  if (lastGeneration >= 1) {
    engine.SexFrequency = SexFrequencyOf(engine.population, engine.tables, engine.params.Demes);
  }
}

}  // namespace recmod
