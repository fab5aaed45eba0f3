#pragma once

#include <array>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "ui/Simulator.hpp"

// The command line applied to the window's controls, as a person at the
// window would apply it, and what that tells: notices of what the
// validation changed, reasons for disabled fields, the listing of --fields.
namespace recmod::batch {

// The input fields and check boxes as they stand, to tell afterwards what the
// validation pass changed.
struct ControlSnapshot {
  std::array<std::string, ControlValues::kTxtSlots> texts{};
  std::array<int, kCheckBoxCount> ticks{};
};
ControlSnapshot TakeSnapshot(const ControlValues& controls);

// One notice per input field or check box that differs between `before` and
// now: "S: -2 -> -.99", "InterdemicDiffusion: unticked -> ticked". With
// `valueChangesOnly` (--quiet) only changes of what was asked are told, not
// a text that the normalisation rewrote to the same number.
std::vector<std::string> DescribeChanges(const ControlSnapshot& before, const ControlValues& now,
                                         bool valueChangesOnly = false);

// Why txt `index` is disabled at this moment, as the end of a sentence:
// "in mode 0", "with 2 loci", "while InversionOfS is unticked".
std::string WhyFieldDisabled(const Simulator& sim, int index);
std::string WhyCheckBoxDisabled(const Simulator& sim, CheckBox box);

// Drives the simulator as a person at the window would: start-up, loci, run
// option, check boxes, fields typed and left. Raises UsageError for a field or
// box that is disabled when its turn comes; notices of what each validation
// pass changed go to `notices`.
void ApplyRequest(Simulator& sim, const BatchRequest& request, std::vector<std::string>& notices);

// Raises UsageError (naming `option`) when a sweep over S or K leaves what
// the window admits in the field of its variable (S from -0.99).
void CheckSweepOfS(const Simulator& sim, const SweepRange& range, const std::string& option);
void CheckSweepOfK(const Simulator& sim, const SweepRange& range, const std::string& option);

// Prints every field (INDEX<TAB>TEXT for 0..22, 30, 37..40, the text with
// its control characters escaped) and then every check box (NAME<TAB>0|1) to
// stdout.
void PrintFields(const ControlValues& controls);

// The absolute directory of the report files of `saveDirectory`.
std::string ReportDirectory(const std::string& saveDirectory);

}  // namespace recmod::batch
