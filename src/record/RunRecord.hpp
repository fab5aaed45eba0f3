#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ui/Simulator.hpp"

namespace recmod {

// The record of a start lies beside its report files under this name.
inline constexpr const char* kRunRecordFileName = "recmod-run.json";
// The layout of the record; a reader refuses a record of another layout.
inline constexpr int kRunRecordFormat = 1;

// How far a start has come, as its record says it.
enum class RecordStatus { Running, Done, Stopped, Refused, Error };
// "running", "done", "stopped", "refused", "error".
const char* RecordStatusName(RecordStatus status);

// What only the front end knows about a start.
struct StartOrigin {
  std::string frontEnd;                  // "window" or "batch"
  std::vector<std::string> commandLine;  // the batch program's arguments
  int mpiRanks = 1;
};

// The run mode's name as the batch program spells it: "single-infinite",
// "single-finite", "loop-sk", "loop-log10n".
const char* RunModeName(int option1Index);

// The record of one start, so that the start can be told and repeated from
// it alone: the program, every input as typed and as validated, the seed, the
// times, and a digest of every report file. Written as recmod-run.json in the
// save directory when the start is accepted ("running") and again when it
// ends, each time as a whole (see ReplaceFileAtomically).
class RunRecord {
 public:
  // Takes the inputs as they stand when "Start simulation" is pressed.
  RunRecord(const Simulator& sim, const StartOrigin& origin);

  // The start has passed its checks and is about to open its report files:
  // records the validated inputs and writes the record with status
  // "running". A record that cannot be written is left to WriteEnded to
  // report, so that an unwritable directory is named by the report files.
  void WriteAccepted(const Simulator& sim);

  // The start has ended: records the end time, the validated inputs, the
  // message (refused and error) and, for a start that was accepted, every
  // report file of its mode as it now stands; then writes the record.
  // Raises RuntimeError when it cannot be written.
  void WriteEnded(const Simulator& sim, RecordStatus status, const std::string& message = {});

  // The record, its keys in the order in which they are written.
  const nlohmann::ordered_json& json() const { return json_; }
  // Where the record goes: the save directory of the start.
  std::filesystem::path path() const;

 private:
  void TakeValidated(const Simulator& sim);
  void Write() const;

  nlohmann::ordered_json json_;
  std::filesystem::path directory_;
  bool accepted_ = false;
};

// The numbers of the report files that the run mode writes (1; 2; 2 and 3).
std::vector<int> ReportFilesOfMode(const RunMode& mode);

}  // namespace recmod
