#pragma once

#include <functional>
#include <string>

#include "driver/ExperimentDriver.hpp"
#include "record/RunRecord.hpp"

namespace recmod {

// "Start simulation" with the start's record: the record of the inputs as
// they stand is taken now, written with status "running" when the start is
// accepted and rewritten when it ends ("done", "stopped", "refused" with the
// text of `refusalMessage`, or "error" with the message of what ended it,
// which is then raised again). A record that cannot be written at the end is
// a RuntimeError after the start.
StartOutcome StartClickWithRecord(Simulator& sim, const StartOrigin& origin,
                                  const std::function<std::string()>& refusalMessage);

}  // namespace recmod
