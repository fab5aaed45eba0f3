#pragma once

#include <cstdint>

namespace recmod {

// How R+ stands after the last generation of a run: fixed (no R- carrier left
// in any deme), lost (no R+ carrier left) or still segregating. Both ends are
// absorbing, since the modifier does not mutate; only drift reaches them in
// the model's time, so a run without drift is always segregating.
enum class RunOutcome : std::int8_t { Segregating, Fixed, Lost };

// "fixed", "lost", "segregating": the outcome as tables write it.
const char* RunOutcomeName(RunOutcome outcome);

// What a run of a loop or sweep comes to.
struct RunEnd {
  double rPlus = 0.0;  // the R+ frequency after the last generation
  RunOutcome outcome = RunOutcome::Segregating;
  // The generation after which R+ was first found fixed or lost (0: it
  // started so); -1 while segregating.
  std::int16_t absorbedAt = -1;

  bool operator==(const RunEnd&) const = default;
};

}  // namespace recmod
