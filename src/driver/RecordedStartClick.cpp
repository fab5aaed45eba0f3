#include "driver/RecordedStartClick.hpp"

#include <exception>

namespace recmod {

StartOutcome StartClickWithRecord(Simulator& sim, const StartOrigin& origin,
                                  const std::function<std::string()>& refusalMessage) {
  RunRecord record(sim, origin);
  sim.onStartAccepted = [&record](Simulator& accepted) { record.WriteAccepted(accepted); };
  StartOutcome outcome = StartOutcome::Refused;
  try {
    outcome = Start_Click(sim);
  } catch (const std::exception& error) {
    sim.onStartAccepted = nullptr;
    try {
      record.WriteEnded(sim, RecordStatus::Error, error.what());
    } catch (const std::exception&) {
      // The error that ended the start is the one to tell.
    }
    throw;
  }
  sim.onStartAccepted = nullptr;
  switch (outcome) {
    case StartOutcome::Finished:
      record.WriteEnded(sim, RecordStatus::Done);
      break;
    case StartOutcome::Stopped:
      record.WriteEnded(sim, RecordStatus::Stopped);
      break;
    case StartOutcome::Refused:
      record.WriteEnded(sim, RecordStatus::Refused, refusalMessage ? refusalMessage() : "");
      break;
  }
  return outcome;
}

}  // namespace recmod
