#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "ui/Simulator.hpp"

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

// Prints every field (INDEX<TAB>TEXT for 0..22, 30, 37..40, the text with
// its control characters escaped) and then every check box (NAME<TAB>0|1) to
// stdout.
void PrintFields(const ControlValues& controls);

// The absolute directory of the report files of `saveDirectory`.
std::string ReportDirectory(const std::string& saveDirectory);

// A seed for a start that was given none, from the system's entropy source.
std::uint64_t DrawSeed();

// Seams for a program that embeds the batch.
struct BatchHooks {
  // Called once the command line has been applied, just before "Start
  // simulation"; false skips the start (exit status 0). The fuzzer uses it to
  // keep starts short and their files in a scratch directory.
  std::function<bool(Simulator&)> beforeStart;
  // Draws the seed of a loop over Log10(N) that was given none; by default
  // from the system's entropy source. Processes that share a start agree on
  // one here.
  std::function<std::uint64_t()> drawSeed;
  // Whether the start writes its record (recmod-run.json); processes that
  // only help another with its runs do not.
  bool writeRecord = true;
  // The number of processes of an MPI job that share the start, for its record.
  int mpiRanks = 1;
};

// Carries out a whole request and returns the exit status; all messages are
// printed here. SIGINT and SIGTERM stop a start after its current generation
// and give the exit status 128 + the signal's number.
int RunBatch(const BatchRequest& request, const BatchHooks& hooks = {});

}  // namespace recmod::batch
