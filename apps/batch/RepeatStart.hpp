#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "ui/Simulator.hpp"

namespace recmod::batch {

// A run record read back to start its start again.
struct RecordedStart {
  std::string path;
  nlohmann::json record;
  // Set when another version of the program wrote the record: the start is
  // repeated only if its inputs still mean the same here.
  std::string versionWarning;
  // The directory that --dir gave instead of the recorded one, if any.
  bool directoryGiven = false;
};

// Reads and checks a record: raises UsageError when it cannot be read, is
// no run record, or has a layout this program does not know.
RecordedStart ReadRecordedStart(const std::string& path);

// Puts the simulator into the state that the record found when "Start
// simulation" was pressed: loci, run option, check boxes, every field's text,
// the sweeps, the first position and the seed. --dir in `given` sends the
// report files elsewhere; otherwise they go to the recorded directory.
void ApplyRecordedStart(Simulator& sim, RecordedStart& recorded, const BatchRequest& given);

// After the start's validation pass: raises UsageError, before any report
// file is touched, when a validated field or box differs from the record
// (the inputs would not mean the same in this version).
void CheckSameMeaning(const Simulator& sim, const RecordedStart& recorded);

// The report files that differ from the recorded ones, as notices (empty when
// all are identical or the recorded start did not finish).
std::vector<std::string> DifferencesFromRecord(const nlohmann::ordered_json& now,
                                               const RecordedStart& recorded);

}  // namespace recmod::batch
