#include "lanes/LaneBatch.hpp"

#include "lanes/LanePath.hpp"

namespace recmod {

// The kernel of a path (in the kernel's translation unit).
LaneOutcome RunLaneBatchOfPath(LanePath path, std::span<Engine> lanes, const RunInputs& inputs,
                               const RunMode& mode, const std::atomic<bool>* stopRequested,
                               LaneHistory* history);

bool LanesApply(const Engine& prepared, const RunInputs& inputs, const RunMode& mode) {
  const ModelParameters& params = prepared.params;
  const bool multinomialDrift = inputs.switches.ExactSampling && !mode.InfinitePopulation;
  // The generation counter of the scalar engine overflows after generation
  // 32767: such runs end in its error.
  return !multinomialDrift && params.MaxGen >= 1 && params.MaxGen < 32767 && params.Demes >= 1 &&
         params.Demes <= PopulationState::kMaxDeme &&
         (prepared.tables.AllelesNumber == 2 || prepared.tables.AllelesNumber == 3);
}

LaneOutcome RunLaneBatch(std::span<Engine> lanes, const RunInputs& inputs, const RunMode& mode,
                         const std::atomic<bool>* stopRequested, LaneHistory* history) {
  return RunLaneBatchOfPath(ActiveLanePath(), lanes, inputs, mode, stopRequested, history);
}

}  // namespace recmod
