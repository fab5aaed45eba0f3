#include "lanes/LaneBatch.hpp"

#include "lanes/BatchConstants.hpp"
#include "lanes/LanePath.hpp"
#include "run/Engine.hpp"

#include <stdexcept>
#include <string>

namespace recmod {

// The kernel of a path (in the kernel's translation unit).
LaneOutcome RunLaneBatchOfPath(LanePath path, std::span<Engine> lanes, const RunInputs& inputs,
                               const RunMode& mode, const std::atomic<bool>* stopRequested,
                               LaneHistory* history);

BatchConstants BatchConstantsOf(const Engine& run) {
  return {run.tables.AllelesNumber, run.params.Demes, run.params.MaxGen, run.params.z,
          run.params.Diffusion};
}

bool LanesApply(const Engine& prepared, const RunInputs& inputs, const RunMode& mode) {
  (void)inputs;
  (void)mode;
  const ModelParameters& params = prepared.params;
  // The generation counter of the scalar engine overflows after generation
  // 32767: such runs end in its error.
  return params.MaxGen >= 1 && params.MaxGen < 32767 && params.Demes >= 1 &&
         params.Demes <= PopulationState::kMaxDeme &&
         (prepared.tables.AllelesNumber == 2 || prepared.tables.AllelesNumber == 3);
}

LaneOutcome RunLaneBatch(std::span<Engine> lanes, const RunInputs& inputs, const RunMode& mode,
                         const std::atomic<bool>* stopRequested, LaneHistory* history) {
  if (lanes.size() != static_cast<std::size_t>(LaneWidth())) {
    throw std::invalid_argument("RunLaneBatch: a batch holds " + std::to_string(LaneWidth()) +
                                " engines, not " + std::to_string(lanes.size()));
  }
  // Runs that differ in a constant of the batch cannot go side by side: the
  // kernel would give them all the first run's value.
  const BatchConstants shared = BatchConstantsOf(lanes.front());
  for (const Engine& lane : lanes) {
    if (!(BatchConstantsOf(lane) == shared)) return LaneOutcome::LeftToScalar;
  }
  return RunLaneBatchOfPath(KernelPath(), lanes, inputs, mode, stopRequested, history);
}

}  // namespace recmod
