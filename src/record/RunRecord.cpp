#include "record/RunRecord.hpp"

#include "lanes/LanePath.hpp"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

#include "model/RuntimeError.hpp"
#include "output/DirectoryLock.hpp"
#include "output/ReportFiles.hpp"
#include "output/SafeFileWrite.hpp"
#include "record/FileDigest.hpp"
#include "ui/FieldCatalogue.hpp"
#include "version/BuildInfo.hpp"

namespace recmod {

namespace {

constexpr int kSaveDirectoryField = 30;
constexpr int kFirstOutputField = 37;

std::string UtcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  ::gmtime_r(&now, &parts);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

std::string HostName() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0) return "unknown";
  return name.data();
}

nlohmann::ordered_json SweepJson(const SweepRange& range) {
  return {{"from", range.from}, {"to", range.to}, {"step", range.step}};
}

// The fields that the record lists: every field but the four that show the
// position of a loop.
bool Recorded(const FieldEntry& entry) {
  return entry.index < kFirstOutputField;
}

std::filesystem::path DirectoryOf(const Simulator& sim) {
  return SaveDirectoryPath(sim.controls.Text(kSaveDirectoryField));
}

// The digest of every report file of the mode in `directory`.
nlohmann::ordered_json ReportFileDigests(const Simulator& sim, const std::string& directory) {
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const int n : ReportFilesOfMode(sim.runMode)) {
    const std::filesystem::path file = ReportFilePath(directory, n);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) continue;
    const FileDigest digest = DigestOfFile(file);
    files.push_back({{"name", file.filename().string()},
                     {"lines", digest.lines},
                     {"bytes", digest.bytes},
                     {"sha256", digest.sha256}});
  }
  return files;
}

void WriteJson(const std::filesystem::path& path, const nlohmann::ordered_json& json,
               Durability durability = Durability::Durable) {
  // A field may hold any bytes; those that are no UTF-8 are written as U+FFFD.
  WriteFileSafely(path,
                  json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n",
                  durability);
}

}  // namespace

const char* RecordStatusName(RecordStatus status) {
  switch (status) {
    case RecordStatus::Running:
      return "running";
    case RecordStatus::Done:
      return "done";
    case RecordStatus::Stopped:
      return "stopped";
    case RecordStatus::Refused:
      return "refused";
    case RecordStatus::Error:
      return "error";
  }
  return "error";
}

const char* RunModeName(int option1Index) {
  // The names of the table are string literals, so their data end in a null.
  const RunKind* kind = RunKindOfOption(option1Index);
  return kind != nullptr ? kind->name.data() : "none";
}

std::vector<int> ReportFilesOfMode(const RunMode& mode) {
  std::vector<int> files;
  if (const RunKind* kind = RunKindOf(mode)) {
    for (int n = kind->firstReport; n <= kind->lastReport; ++n) files.push_back(n);
  }
  return files;
}

RunRecord::RunRecord(const Simulator& sim, const StartOrigin& origin) {
  const ControlValues& controls = sim.controls;
  json_["format"] = kRunRecordFormat;
  json_["status"] = RecordStatusName(RecordStatus::Running);
  json_["program"] = {{"name", "recmod"},
                      {"version", ProgramVersion()},
                      {"source_revision", SourceRevision()},
                      {"compiler", CompilerName()},
                      {"simd", LanePathName(ActiveLanePath())}};
  json_["front_end"] = origin.frontEnd;
  if (!origin.commandLine.empty()) json_["command_line"] = origin.commandLine;
  json_["host"] = HostName();
  json_["started"] = UtcNow();
  json_["ended"] = nullptr;
  json_["loci"] = controls.AllelesNumberCaption == "3" ? 3 : 2;
  json_["run_mode"] = {{"index", controls.Option1Selected},
                       {"name", RunModeName(controls.Option1Selected)}};
  nlohmann::ordered_json fields = nlohmann::ordered_json::array();
  for (const FieldEntry& entry : FieldCatalogue()) {
    if (!Recorded(entry)) continue;
    fields.push_back({{"index", entry.index},
                      {"name", entry.alias},
                      {"typed", controls.Text(entry.index)},
                      {"validated", controls.Text(entry.index)}});
  }
  json_["fields"] = std::move(fields);
  nlohmann::ordered_json boxes = nlohmann::ordered_json::object();
  for (const CheckBox box : kAllCheckBoxes) {
    boxes[CheckBoxName(box)] = {{"typed", controls.Tick(box)}, {"validated", controls.Tick(box)}};
  }
  json_["check_boxes"] = std::move(boxes);
  json_["seed"] = sim.seed ? nlohmann::ordered_json(*sim.seed) : nlohmann::ordered_json(nullptr);
  json_["threads"] = sim.threads;
  json_["mpi_ranks"] = origin.mpiRanks;
  json_["s_sweep"] = SweepJson(sim.sSweep);
  json_["k_sweep"] = SweepJson(sim.kSweep);
  json_["first_position"] = sim.firstPosition;
  json_["report_directory"] = nullptr;
  json_["report_files"] = nlohmann::ordered_json::array();
  json_["message"] = nullptr;
}

void RunRecord::TakeValidated(const Simulator& sim) {
  for (nlohmann::ordered_json& field : json_["fields"]) {
    field["validated"] = sim.controls.Text(field["index"].get<int>());
  }
  nlohmann::ordered_json& boxes = json_["check_boxes"];
  for (const CheckBox box : kAllCheckBoxes) {
    boxes[CheckBoxName(box)]["validated"] = sim.controls.Tick(box);
  }
  std::error_code error;
  directory_ = std::filesystem::absolute(DirectoryOf(sim), error).lexically_normal();
  std::string text = directory_.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  directory_ = text;
  json_["report_directory"] = text;
}

void RunRecord::WriteAccepted(const Simulator& sim) {
  TakeValidated(sim);
  accepted_ = true;
  json_["status"] = RecordStatusName(RecordStatus::Running);
  try {
    // Renamed into place whole, but not synced to the disk: a crash of the
    // program leaves it readable, and a crash of the system that could lose
    // it would lose the unsynced report files it describes too. The sync
    // (some 10 to 20 ms on a disk) would otherwise delay every start; the
    // record of the end is synced.
    WriteJson(path(), json_, Durability::Ordinary);
  } catch (const std::exception&) {
    // Where the record cannot be written, the report files usually cannot
    // either, and their error names the cause; if they can, the record's
    // own error comes from WriteEnded.
  }
}

void RunRecord::WriteEnded(const Simulator& sim, RecordStatus status, const std::string& message) {
  TakeValidated(sim);
  json_["status"] = RecordStatusName(status);
  json_["ended"] = UtcNow();
  json_["message"] =
      message.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(message);
  // A start that was refused or failed before its files were opened has
  // written none: the files in the directory belong to an earlier start.
  json_["report_files"] = accepted_ ? ReportFileDigests(sim, sim.controls.Text(kSaveDirectoryField))
                                    : nlohmann::ordered_json::array();
  if (accepted_) {
    // A directory moved during the start holds the start's files under a
    // record that says "running": that record is told the end too.
    const std::string moved = sim.reports.MovedDirectory(sim.controls.Text(kSaveDirectoryField));
    if (!moved.empty()) {
      nlohmann::ordered_json there = json_;
      there["report_directory"] = moved;
      there["report_files"] = ReportFileDigests(sim, moved);
      try {
        WriteJson(std::filesystem::path(moved) / kRunRecordFileName, there);
      } catch (const std::exception&) {
        // The record at the directory's name is the one that must be written.
      }
    }
  }
  if (!accepted_) {
    // A start that never had the directory must not replace the record of
    // another start that is writing there now.
    std::optional<DirectoryLock> lock;
    try {
      lock.emplace(directory_.string());
    } catch (const RuntimeError&) {
      return;
    }
    Write();
    return;
  }
  Write();
}

std::filesystem::path RunRecord::path() const {
  return directory_ / kRunRecordFileName;
}

void RunRecord::Write() const {
  WriteJson(path(), json_);
}

}  // namespace recmod
