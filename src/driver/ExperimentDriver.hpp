#pragma once

#include "ui/Simulator.hpp"

namespace recmod {

inline constexpr const char* kValuesNeededMessage = "One or more value are needed!";
// Shown when InversionOfS is ticked and the inversion period is blank.
inline constexpr const char* kInversionPeriodNeededMessage = "An inversion period is needed!";

// What became of a start.
enum class StartOutcome {
  Finished,  // the mode ran to its end (or there was nothing to run)
  Refused,   // a field was empty or the start frequencies were refused; message shown
  Stopped,   // stopped on request after a generation; files closed with what was written
};

// "Start simulation": plot reset, validation, the check of fields 0..8,
// ReadParameters, BuildInitialState, then the selected run mode with its
// report files, and last the closing of all report files. A run-time error
// propagates as RuntimeError after the report files were closed with every
// line written so far.
StartOutcome Start_Click(Simulator& sim);

}  // namespace recmod
