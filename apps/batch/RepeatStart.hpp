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
};

// Reads and checks a record: raises UsageError when it cannot be read, is
// larger or deeper than a record, is no run record, has a layout this
// program does not know, or holds an input that the command line would
// refuse (a field text that is not a number, a sweep, seed, position, number
// of loci, run mode or check box out of its range), naming the key. Every
// text of the record in a message is escaped.
RecordedStart ReadRecordedStart(const std::string& path);

// Puts the simulator into the state that the record found when "Start
// simulation" was pressed: loci, run option, check boxes, every field's text,
// the sweeps, the first position and the seed. The report files go to --dir
// in `given`, which must be given and must not be the directory of the
// record itself (UsageError otherwise).
void ApplyRecordedStart(Simulator& sim, RecordedStart& recorded, const BatchRequest& given);

// After the start's validation pass: raises UsageError, before any report
// file is touched, when a validated field or box differs from the record
// (the inputs would not mean the same in this version).
void CheckSameMeaning(const Simulator& sim, const RecordedStart& recorded);

// Whether the recorded start finished ("done"): only then are its files
// complete and comparable.
bool RecordedStartFinished(const RecordedStart& recorded);

// One message per report file that differs from the recorded one or is
// missing on either side (empty when all are identical or the recorded start
// did not finish).
std::vector<std::string> DifferencesFromRecord(const nlohmann::ordered_json& now,
                                               const RecordedStart& recorded);

}  // namespace recmod::batch
