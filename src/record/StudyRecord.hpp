#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/FileDigest.hpp"
#include "sweep/Study.hpp"

namespace recmod {

// A study as its record holds it:
//   {"parameters": {name: value, ... every parameter of the table},
//    "axes": [{"name": ..., "values": [...]}, ...], "replicates": N,
//    "population": "finite"|"infinite", "sampling": "draw"|"exact",
//    "seed": S|null, "first_position": P}
// Whole parameters are written as integers, the others as the shortest
// number that reads back to the same double.
nlohmann::ordered_json StudyJson(const Study& study);

// The study that `json` describes, read strictly: a missing or unknown key,
// a value of the wrong type or outside its parameter's domain raises
// SweepError naming the key ("study.axes[1].values[0]: ..."). The study is
// then checked as CheckStudy checks it, with `runLimit`.
Study StudyFromJson(const nlohmann::json& json, std::int64_t runLimit);

// One note per axis that takes a value outside the range of its field in the
// window ("u = 0.001 is outside the window's range 1e-10 .. 0.0001; a study
// takes any value of the model's domain [0, 1]"): told to the user and kept
// in the record.
std::vector<std::string> ValuesBeyondTheWindow(const Study& study);

// One output file of a study and what it held when the study ended.
struct StudyOutput {
  std::string file;  // the name the file was written under, without a directory
  FileDigest digest;
};

// The record of a study, so that it can be repeated from it alone:
//   {"format": 1, "kind": "study", "program": {...}, "front_end": ...,
//    "command_line": [...], "study": {...}, "notes": [ValuesBeyondTheWindow],
//    "outputs": {"table": {"file", "lines", "bytes", "sha256"}, "summary": ...},
//    "status": "done"|"stopped"|"error", "message": ...|null}
struct StudyRecord {
  Study study;
  std::string frontEnd = "batch";  // "batch" or "python"
  std::vector<std::string> commandLine;
  std::optional<StudyOutput> table;
  std::optional<StudyOutput> summary;
  std::string status = "done";
  std::string message;
};

// "study": the record's kind, beside the start of the window's run record.
inline constexpr const char* kStudyRecordKind = "study";

nlohmann::ordered_json StudyRecordJson(const StudyRecord& record);

// Whether `json` is the record of a study (rather than of a start).
bool IsStudyRecord(const nlohmann::json& json);

// The record that `json` holds, read as strictly as StudyFromJson; raises
// SweepError naming the key.
StudyRecord StudyRecordFromJson(const nlohmann::json& json, std::int64_t runLimit);

// The record as its file holds it (two-space indents, a final newline).
std::string StudyRecordText(const StudyRecord& record);

}  // namespace recmod
