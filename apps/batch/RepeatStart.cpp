#include "RepeatStart.hpp"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "ui/FieldCatalogue.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/RunRecord.hpp"
#include "ui/WindowLogic.hpp"
#include "version/BuildInfo.hpp"

namespace recmod::batch {

namespace {

constexpr int kSaveDirectoryField = 30;

SweepRange SweepFrom(const nlohmann::json& range) {
  return SweepRange{range.at("from").get<double>(), range.at("to").get<double>(),
                    range.at("step").get<double>()};
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

RecordedStart ReadRecordedStart(const std::string& path) {
  RecordedStart recorded;
  recorded.path = path;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw UsageError("--repeat: " + Quoted(path) + " is no readable file");
  }
  std::ifstream in(path, std::ios::binary);
  try {
    recorded.record = nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    throw UsageError("--repeat: " + path + " is no run record: " + e.what());
  }
  const nlohmann::json& record = recorded.record;
  if (!record.is_object() || !record.contains("format") || !record.contains("program")) {
    throw UsageError("--repeat: " + path + " is no run record");
  }
  if (record["format"] != kRunRecordFormat) {
    throw UsageError("--repeat: " + path + " is a run record of layout " + record["format"].dump() +
                     "; this program reads layout " + std::to_string(kRunRecordFormat));
  }
  try {
    const std::string version = record.at("program").at("version").get<std::string>();
    const std::string revision = record.at("program").at("source_revision").get<std::string>();
    if (version != ProgramVersion() || revision != SourceRevision()) {
      recorded.versionWarning = "recmod-batch: warning: " + path + " was written by recmod " +
                                version + " (" + revision + "), this is " + ProgramVersion() +
                                " (" + SourceRevision() +
                                "); repeated because its inputs mean the same here";
    }
    // Everything the repeat reads, checked before anything is touched.
    (void)record.at("loci").get<int>();
    (void)record.at("run_mode").at("index").get<int>();
    for (const nlohmann::json& field : record.at("fields")) {
      (void)field.at("index").get<int>();
      (void)field.at("typed").get<std::string>();
      (void)field.at("validated").get<std::string>();
    }
    for (const auto& [name, box] : record.at("check_boxes").items()) {
      (void)box.at("typed").get<int>();
      (void)box.at("validated").get<int>();
    }
    (void)SweepFrom(record.at("s_sweep"));
    (void)SweepFrom(record.at("k_sweep"));
    (void)record.at("first_position").get<std::int64_t>();
    if (!record.at("seed").is_null()) (void)record.at("seed").get<std::uint64_t>();
  } catch (const nlohmann::json::exception& e) {
    throw UsageError("--repeat: " + path + " is an incomplete run record: " + e.what());
  }
  return recorded;
}

void ApplyRecordedStart(Simulator& sim, RecordedStart& recorded, const BatchRequest& given) {
  const nlohmann::json& record = recorded.record;
  Form_Load(sim);
  sim.threads = given.threads;
  if (record["loci"].get<int>() == 3) ToggleAllelesNumber_Click(sim);
  const nlohmann::json& boxes = record["check_boxes"];
  const int mode = record["run_mode"]["index"].get<int>();
  if (mode < 0 || mode > 3) {
    throw UsageError("--repeat: " + recorded.path + " records no run mode 0..3");
  }
  sim.controls.Option1Selected = mode;
  Option1_GotFocus(sim, mode);

  // The boxes as a person would click them (a box enables others), then
  // any that a click could not reach, as recorded.
  for (const CheckBox box : kAllCheckBoxes) {
    if (!boxes.contains(CheckBoxName(box))) continue;
    const bool ticked = boxes[CheckBoxName(box)]["typed"].get<int>() != 0;
    if (sim.controls.Ticked(box) != ticked && sim.controls.CheckEnabled(box)) {
      CheckBox_Click(sim, box);
    }
  }
  for (const CheckBox box : kAllCheckBoxes) {
    if (!boxes.contains(CheckBoxName(box))) continue;
    sim.controls.tick[static_cast<std::size_t>(box)] = boxes[CheckBoxName(box)]["typed"].get<int>();
  }

  // Every field's text as it stood when the start was pressed.
  for (const nlohmann::json& field : record["fields"]) {
    const int index = field["index"].get<int>();
    if (!IsTxtIndex(index)) {
      throw UsageError("--repeat: " + recorded.path + " records a field " + std::to_string(index) +
                       " that this program does not have");
    }
    sim.controls.Text(index) = field["typed"].get<std::string>();
  }
  // The report files go where --dir says, or where the start wrote them.
  bool directoryGiven = false;
  for (const FieldTyping& typing : given.fields) {
    if (typing.index != kSaveDirectoryField) continue;
    sim.controls.Text(kSaveDirectoryField) = typing.text;
    directoryGiven = true;
  }
  recorded.directoryGiven = directoryGiven;
  if (!directoryGiven) {
    const nlohmann::json& directory = record.value("report_directory", nlohmann::json());
    if (!directory.is_string() || !std::filesystem::is_directory(directory.get<std::string>())) {
      throw UsageError("--repeat: the directory recorded in " + recorded.path +
                       " does not exist; give --dir");
    }
    sim.controls.Text(kSaveDirectoryField) = directory.get<std::string>();
  }

  sim.sSweep = SweepFrom(record["s_sweep"]);
  sim.kSweep = SweepFrom(record["k_sweep"]);
  sim.firstPosition = record["first_position"].get<std::int64_t>();
  if (record["seed"].is_null()) {
    sim.seed.reset();
  } else {
    sim.seed = record["seed"].get<std::uint64_t>();
  }
}

void CheckSameMeaning(const Simulator& sim, const RecordedStart& recorded) {
  std::string differences;
  for (const nlohmann::json& field : recorded.record["fields"]) {
    const int index = field["index"].get<int>();
    if (index == kSaveDirectoryField) continue;
    const std::string& was = field["validated"].get_ref<const std::string&>();
    const std::string& is = sim.controls.Text(index);
    if (was == is) continue;
    const FieldEntry* entry = FindFieldByIndex(index);
    differences += std::string(differences.empty() ? "" : "; ") +
                   (entry != nullptr ? entry->alias : std::to_string(index)) + " recorded " +
                   Quoted(was) + ", here " + Quoted(is);
  }
  const nlohmann::json& boxes = recorded.record["check_boxes"];
  for (const CheckBox box : kAllCheckBoxes) {
    if (!boxes.contains(CheckBoxName(box))) continue;
    const int was = boxes[CheckBoxName(box)]["validated"].get<int>();
    if (was == sim.controls.Tick(box)) continue;
    differences += std::string(differences.empty() ? "" : "; ") + CheckBoxName(box) + " recorded " +
                   std::to_string(was) + ", here " + std::to_string(sim.controls.Tick(box));
  }
  if (!differences.empty()) {
    throw UsageError("--repeat: the inputs of " + recorded.path +
                     " do not mean the same in this program after validation (" + differences +
                     "); not repeated");
  }
}

std::vector<std::string> DifferencesFromRecord(const nlohmann::ordered_json& now,
                                               const RecordedStart& recorded) {
  std::vector<std::string> notices;
  if (recorded.record.value("status", std::string()) != "done") return notices;
  const nlohmann::json& files = recorded.record.value("report_files", nlohmann::json::array());
  for (const nlohmann::json& file : files) {
    const std::string name = file.value("name", std::string());
    std::string digest = "(missing)";
    for (const nlohmann::ordered_json& written : now["report_files"]) {
      if (written.value("name", std::string()) == name) digest = written.value("sha256", "");
    }
    if (digest != file.value("sha256", std::string())) {
      notices.push_back("recmod-batch: warning: " + name + " differs from the one recorded in " +
                        recorded.path);
    }
  }
  return notices;
}

}  // namespace recmod::batch
