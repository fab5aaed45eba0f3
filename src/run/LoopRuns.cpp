#include "run/LoopRuns.hpp"

#include <cstdlib>

#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"
#include "run/InitialState.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

namespace {
std::vector<double> StepsOfOneHundredth(double first, double end) {
  std::vector<double> values;
  for (double value = first; value <= end; value = value + 0.01) values.push_back(value);
  return values;
}
}  // namespace

std::vector<double> SKLoopSValues() {
  return StepsOfOneHundredth(0.01, 0.2001);
}

std::vector<double> SKLoopKValues() {
  return StepsOfOneHundredth(0.8, 1.2001);
}

std::vector<float> Log10NLoopValues(float first, float last) {
  constexpr float kStep = 0.5F;
  std::vector<float> values;
  for (float value = first; value <= last; value = value + kStep) values.push_back(value);
  return values;
}

void SetUpSKPosition(Engine& engine, const RunInputs& inputs, MessageSink& messages, double S,
                     double K) {
  engine.params.S = S;
  engine.params.K = K;
  BuildInitialState(engine, inputs, messages);
  DeriveSelectionTerms(engine.tables.AllelesNumber, engine.params);
}

double RunSKPosition(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                     RunOutputs& outputs, double S, double K) {
  CollectedMessages dropped;
  SetUpSKPosition(engine, inputs, outputs.messages != nullptr ? *outputs.messages : dropped, S, K);
  RunGenerations(engine, inputs, mode, outputs);
  return engine.SexFrequency;
}

void SeedLoopRun(RandomDraw& draw, const std::optional<std::uint64_t>& seed,
                 std::uint64_t position) {
  if (seed) {
    draw.generator.Seed(*seed, position);
  } else {
    ReseedGenerator(draw);
  }
}

InversionHandOver InversionHandOverOf(const RunSwitches& switches, const ModelParameters& params) {
  InversionHandOver handOver;
  handOver.inverts = switches.InversionOfS && !switches.SinusoidalOption;
  handOver.firstS = params.S;
  const int period = std::abs(static_cast<int>(params.InversionPeriod));
  if (handOver.inverts && period > 0 && params.MaxGen > 0) {
    handOver.oddPerRun = (params.MaxGen / period) % 2 == 1;
  }
  return handOver;
}

void StartSOfRun(const InversionHandOver& handOver, std::int64_t position, Engine& engine) {
  if (!handOver.inverts) return;
  const bool negated = handOver.oddPerRun && position % 2 == 1;
  // Negation is exact: the same value that the runs before would have left.
  engine.params.S = negated ? -handOver.firstS : handOver.firstS;
  DeriveSelectionTerms(engine.tables.AllelesNumber, engine.params);
}

double RunLog10NPosition(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                         RunOutputs& outputs) {
  CollectedMessages dropped;
  BuildInitialState(engine, inputs, outputs.messages != nullptr ? *outputs.messages : dropped);
  RunGenerations(engine, inputs, mode, outputs);
  return engine.SexFrequency;
}

}  // namespace recmod
