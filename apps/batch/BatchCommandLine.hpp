#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "run/SweepRange.hpp"
#include "ui/ControlValues.hpp"

namespace recmod::batch {

// Exit statuses of the batch program, a contract that scripts rely on.
enum ExitStatus : int {
  kExitSuccess = 0,
  kExitRefused = 1,        // the start was refused with one of the system's messages
  kExitUsage = 2,          // the command line cannot be carried out
  kExitRuntimeError = 3,   // a run-time error ended the start
  kExitDiffers = 4,        // a repeated start wrote other files than its record lists
  kExitInterrupted = 130,  // stopped by SIGINT after a generation (128 + 2)
  kExitTerminated = 143    // stopped by SIGTERM after a generation (128 + 15)
};

// A command line that cannot be carried out: unknown option, bad index,
// malformed number, a disabled field or box.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text typed into a field and then left, as a person at the window would.
struct FieldTyping {
  int index = 0;
  std::string text;
  std::string option;  // how the command line named it, for messages ("--log10n")
};

// A click on a check box that brings it to the wanted state.
struct TickSetting {
  CheckBox box = CheckBox::RecombForR;
  bool ticked = false;
  std::string option;  // "--tick SinusoidalOption"
};

// What the command line asks for, in the order it will be done.
struct BatchRequest {
  int mode = 0;                     // Option1 index 0..3
  int loci = 2;                     // 2 or 3
  std::vector<TickSetting> ticks;   // command-line order
  std::vector<FieldTyping> fields;  // command-line order
  bool listFields = false;
  std::optional<std::uint64_t> seed;
  bool progress = false;
  bool quiet = false;
  // "exact": multinomial Wright-Fisher drift (the window's "Exact sampling");
  // false keeps the entry-by-entry draw.
  bool exactSampling = false;
  // Threads for the runs of modes 2 and 3 (the report files do not depend on
  // it); 1 runs them in sequence.
  int threads = 1;
  // The values of S and of K that mode 2 visits instead of the window's.
  std::optional<SweepRange> sRange;
  std::optional<SweepRange> kRange;
  // Mode 3: the position of the first run within a larger sweep split over
  // several starts, so that each part seeds its runs as the whole would.
  std::int64_t firstPosition = 0;
  // A picture to write (PNG or SVG by its name): the plot of a single run, or
  // the picture of a loop's sweep, after a finished start or for --replot.
  std::optional<std::string> plotFile;
  // Draw the sweep whose report files are in this directory instead of
  // starting.
  std::optional<std::string> replotDirectory;
  // Whether --threads was given (a repeat otherwise takes the recorded one).
  bool threadsGiven = false;
  // The command line as given, for the run record.
  std::vector<std::string> commandLine;
  // Start the start recorded in this run record instead.
  std::optional<std::string> repeatFile;
  // --verify: repeat this record's finished start in a scratch directory and
  // compare its files with the recorded digests.
  std::optional<std::string> verifyFile;
  // --table: the results in long format (ResultsTable).
  std::optional<std::string> tableFile;
  // --colour-range: the half-width of the heat map's colour scale.
  std::optional<double> colourHalfWidth;
  // A study instead of a start: --sweep NAME=VALUES in the order given (the
  // first axis varies slowest), with the fields as its base values.
  std::vector<std::string> sweeps;
  std::int64_t replicates = 1;
  bool finitePopulation = false;  // --population finite
  // --summary: one row per point of the study.
  std::optional<std::string> summaryFile;
  // --force: more than kMostStudyRuns runs.
  bool force = false;
  bool IsStudy() const { return !sweeps.empty(); }
};

// The most runs (points times replicates) a study makes without --force.
inline constexpr std::int64_t kMostStudyRuns = 10'000'000;

// What the parser decided: run the request, or exit at once with `exitStatus`
// after the help, the version or a usage message has been printed.
struct ParseResult {
  std::optional<BatchRequest> request;
  int exitStatus = kExitSuccess;
};

// Parses the command line. Help, version and the errors that the argument
// parser finds are printed here; the rest (bad index, unknown box, malformed
// seed or mode) raise UsageError.
ParseResult ParseCommandLine(int argc, char** argv);

// "0".."3" or the mode names single-infinite, single-finite, loop-sk,
// loop-log10n; raises UsageError otherwise.
int ParseMode(const std::string& text);

// "FROM:TO:STEP" as a sweep of `option` (for messages); raises UsageError for
// a malformed or endless range.
SweepRange ParseSweepRange(const std::string& text, const std::string& option);

// The largest --first-position: far beyond any sweep, and far enough from the
// end of the range that the positions after it cannot overflow.
inline constexpr std::int64_t kMostFirstPosition = 1'000'000'000'000'000;

// The number of threads the machine runs at once (at least 1).
int AllCores();

// "draw" (false) or "exact" (true); raises UsageError otherwise.
bool ParseSampling(const std::string& text);

}  // namespace recmod::batch
