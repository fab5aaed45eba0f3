#include "RepeatStart.hpp"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "BatchControls.hpp"
#include "EscapedText.hpp"
#include "FieldTextCheck.hpp"
#include "output/ReportFiles.hpp"
#include "record/RunRecord.hpp"
#include "run/SweepRange.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"
#include "version/BuildInfo.hpp"

namespace recmod::batch {

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr int kSaveDirectoryField = 30;
constexpr int kFirstOutputField = 37;
// A record is a few kilobytes, nested three deep; anything far beyond is no
// record, and is not read further.
constexpr std::uintmax_t kMostRecordBytes = 1 << 20;
constexpr int kMostRecordDepth = 8;

std::string Quoted(const std::string& text) {
  return "\"" + EscapedText(text) + "\"";
}

// A value of the record as a message shows it: escaped, and cut short.
std::string Shown(const json& value) {
  std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
  if (text.size() > 40) text = text.substr(0, 40) + "...";
  return EscapedText(text);
}

// Raises the usage error of a record whose `key` is not as a record has it.
class RecordCheck {
 public:
  explicit RecordCheck(const std::string& path) : path_(path) {}

  [[noreturn]] void Fail(const std::string& key, const std::string& problem) const {
    throw UsageError("--repeat: " + Quoted(path_) + ": \"" + key + "\": " + problem);
  }

  const json& At(const json& object, const std::string& key, const std::string& name) const {
    if (!object.is_object() || !object.contains(key)) Fail(name, "missing");
    return object[key];
  }

  std::int64_t Integer(const json& value, const std::string& name, std::int64_t least,
                       std::int64_t most) const {
    // A whole number as JSON writes one: 2.0, 0.5, true or "2" is none.
    if (!value.is_number_integer()) {
      Fail(name, Shown(value) + " is not a whole number from " + std::to_string(least) + " to " +
                     std::to_string(most));
    }
    if (value.is_number_unsigned()
            ? value.get<std::uint64_t>() > static_cast<std::uint64_t>(most)
            : (value.get<std::int64_t>() < least || value.get<std::int64_t>() > most)) {
      Fail(name, Shown(value) + " is not a whole number from " + std::to_string(least) + " to " +
                     std::to_string(most));
    }
    return value.get<std::int64_t>();
  }

  const std::string& Text(const json& value, const std::string& name) const {
    if (!value.is_string()) Fail(name, Shown(value) + " is not a text");
    return value.get_ref<const std::string&>();
  }

  double Number(const json& value, const std::string& name) const {
    if (!value.is_number()) Fail(name, Shown(value) + " is not a number");
    return value.get<double>();
  }

 private:
  const std::string& path_;
};

SweepRange SweepFrom(const json& range) {
  return SweepRange{range["from"].get<double>(), range["to"].get<double>(),
                    range["step"].get<double>()};
}

// Every field that a record lists: the inputs 0..22 and 30.
std::set<int> RecordedFieldIndexes() {
  std::set<int> indexes;
  for (const FieldEntry& entry : FieldCatalogue()) {
    if (entry.index < kFirstOutputField) indexes.insert(entry.index);
  }
  return indexes;
}

// Everything the repeat reads, checked as the command line checks the same
// inputs, before anything is touched.
void CheckRecordedInputs(const json& record, const RecordCheck& check) {
  check.Integer(check.At(record, "loci", "loci"), "loci", 2, 3);
  const std::int64_t mode =
      check.Integer(check.At(check.At(record, "run_mode", "run_mode"), "index", "run_mode.index"),
                    "run_mode.index", 0, 3);

  const json& fields = check.At(record, "fields", "fields");
  if (!fields.is_array()) check.Fail("fields", "not a list of fields");
  std::set<int> missing = RecordedFieldIndexes();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string name = "fields[" + std::to_string(i) + "]";
    const json& field = fields[i];
    const auto index = static_cast<int>(check.Integer(check.At(field, "index", name + ".index"),
                                                      name + ".index", 0, kFirstOutputField - 1));
    if (missing.erase(index) == 0) {
      check.Fail(name + ".index", std::to_string(index) + " is no recorded field or comes twice");
    }
    const std::string& typed =
        check.Text(check.At(field, "typed", name + ".typed"), name + ".typed");
    check.Text(check.At(field, "validated", name + ".validated"), name + ".validated");
    if (index == kSaveDirectoryField) continue;  // --dir replaces it
    const FieldEntry* entry = FindFieldByIndex(index);
    FieldTyping typing{index, typed, name + ".typed (" + (entry ? entry->alias : "") + ")"};
    try {
      CheckFieldText(typing);
    } catch (const UsageError&) {
      check.Fail(typing.option, Quoted(typed) + " is not a number");
    }
  }
  if (!missing.empty()) {
    check.Fail("fields", "field " + std::to_string(*missing.begin()) + " is missing");
  }

  const json& boxes = check.At(record, "check_boxes", "check_boxes");
  if (!boxes.is_object()) check.Fail("check_boxes", "not an object of check boxes");
  for (const auto& [name, box] : boxes.items()) {
    CheckBox known{};
    if (!CheckBoxFromName(name, known)) check.Fail("check_boxes." + name, "no such check box");
  }
  for (const CheckBox box : kAllCheckBoxes) {
    const std::string name = std::string("check_boxes.") + CheckBoxName(box);
    const json& entry = check.At(boxes, CheckBoxName(box), name);
    check.Integer(check.At(entry, "typed", name + ".typed"), name + ".typed", 0, 1);
    check.Integer(check.At(entry, "validated", name + ".validated"), name + ".validated", 0, 1);
  }

  for (const char* sweep : {"s_sweep", "k_sweep"}) {
    const json& range = check.At(record, sweep, sweep);
    SweepRange values;
    values.from = check.Number(check.At(range, "from", std::string(sweep) + ".from"),
                               std::string(sweep) + ".from");
    values.to =
        check.Number(check.At(range, "to", std::string(sweep) + ".to"), std::string(sweep) + ".to");
    values.step = check.Number(check.At(range, "step", std::string(sweep) + ".step"),
                               std::string(sweep) + ".step");
    if (const auto problem = SweepRangeProblem(values)) check.Fail(sweep, *problem);
  }

  const std::int64_t first = check.Integer(check.At(record, "first_position", "first_position"),
                                           "first_position", 0, kMostFirstPosition);
  if (first != 0 && mode != 3) check.Fail("first_position", "only mode 3 (loop-log10n) has one");

  const json& seed = check.At(record, "seed", "seed");
  if (!seed.is_null() && !seed.is_number_unsigned()) {
    check.Fail("seed",
               Shown(seed) + " is not a whole number from 0 to " + std::to_string(UINT64_MAX));
  }
  const json& status = check.At(record, "status", "status");
  check.Text(status, "status");
  const json& files = check.At(record, "report_files", "report_files");
  if (!files.is_array()) check.Fail("report_files", "not a list of files");
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string name = "report_files[" + std::to_string(i) + "]";
    check.Text(check.At(files[i], "name", name + ".name"), name + ".name");
    check.Text(check.At(files[i], "sha256", name + ".sha256"), name + ".sha256");
  }
}

std::string ReadWhole(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    throw UsageError("--repeat: " + Quoted(path) + " is no readable file");
  }
  if (fs::file_size(path, error) > kMostRecordBytes) {
    throw UsageError("--repeat: " + Quoted(path) + " is too large for a run record");
  }
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || !in.is_open()) {
    throw UsageError("--repeat: " + Quoted(path) + " is no readable file");
  }
  return text;
}

bool SameDirectory(const fs::path& a, const fs::path& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

RecordedStart ReadRecordedStart(const std::string& path) {
  RecordedStart recorded;
  recorded.path = path;
  const std::string text = ReadWhole(path);
  try {
    // Deeper nesting than a record has is refused while it is read.
    recorded.record = json::parse(text, [&](int depth, json::parse_event_t, json&) {
      if (depth > kMostRecordDepth) {
        throw UsageError("--repeat: " + Quoted(path) + " is no run record: nested too deeply");
      }
      return true;
    });
  } catch (const json::exception& e) {
    throw UsageError("--repeat: " + Quoted(path) + " is no run record: " + EscapedText(e.what()));
  }
  const json& record = recorded.record;
  if (!record.is_object() || !record.contains("format") || !record.contains("program")) {
    throw UsageError("--repeat: " + Quoted(path) + " is no run record");
  }
  if (!(record["format"].is_number_integer() && record["format"] == kRunRecordFormat)) {
    throw UsageError("--repeat: " + Quoted(path) + " is a run record of layout " +
                     Shown(record["format"]) + "; this program reads layout " +
                     std::to_string(kRunRecordFormat));
  }
  const RecordCheck check(recorded.path);
  const json& program = check.At(record, "program", "program");
  const std::string& version =
      check.Text(check.At(program, "version", "program.version"), "program.version");
  const std::string& revision = check.Text(
      check.At(program, "source_revision", "program.source_revision"), "program.source_revision");
  if (version != ProgramVersion() || revision != SourceRevision()) {
    recorded.versionWarning =
        "recmod-batch: warning: " + EscapedText(path) + " was written by recmod " +
        EscapedText(version) + " (" + EscapedText(revision) + "), this is " + ProgramVersion() +
        " (" + SourceRevision() + "); repeated because its inputs mean the same here";
  }
  CheckRecordedInputs(record, check);
  return recorded;
}

void ApplyRecordedStart(Simulator& sim, RecordedStart& recorded, const BatchRequest& given) {
  const json& record = recorded.record;
  // The report files go where --dir says; the recorded directory and the
  // record that is read are never written.
  const FieldTyping* directory = nullptr;
  for (const FieldTyping& typing : given.fields) {
    if (typing.index == kSaveDirectoryField) directory = &typing;
  }
  if (directory == nullptr) {
    throw UsageError(
        "--repeat: name the directory for the repeated files with --dir (the recorded "
        "directory keeps the files and the record of the start)");
  }
  if (SameDirectory(SaveDirectoryPath(directory->text),
                    fs::path(recorded.path).parent_path().empty()
                        ? fs::path(".")
                        : fs::path(recorded.path).parent_path())) {
    throw UsageError("--repeat: --dir " + Quoted(directory->text) + " holds the record " +
                     Quoted(recorded.path) +
                     " that is repeated; a repeat never replaces it (give another directory)");
  }

  Form_Load(sim);
  sim.threads = given.threads;
  if (record["loci"].get<int>() == 3) ToggleAllelesNumber_Click(sim);
  const json& boxes = record["check_boxes"];
  const int mode = record["run_mode"]["index"].get<int>();
  sim.controls.Option1Selected = mode;
  Option1_GotFocus(sim, mode);

  // The boxes as a person would click them (a box enables others), then
  // any that a click could not reach, as recorded.
  for (const CheckBox box : kAllCheckBoxes) {
    const bool ticked = boxes[CheckBoxName(box)]["typed"].get<int>() != 0;
    if (sim.controls.Ticked(box) != ticked && sim.controls.CheckEnabled(box)) {
      CheckBox_Click(sim, box);
    }
  }
  for (const CheckBox box : kAllCheckBoxes) {
    sim.controls.tick[static_cast<std::size_t>(box)] = boxes[CheckBoxName(box)]["typed"].get<int>();
  }

  // Every field's text as it stood when the start was pressed.
  for (const json& field : record["fields"]) {
    sim.controls.Text(field["index"].get<int>()) = field["typed"].get<std::string>();
  }
  sim.controls.Text(kSaveDirectoryField) = directory->text;

  const RecordCheck check(recorded.path);
  sim.sSweep = SweepFrom(record["s_sweep"]);
  sim.kSweep = SweepFrom(record["k_sweep"]);
  try {
    CheckSweepOfS(sim, sim.sSweep, "\"s_sweep\"");
    CheckSweepOfK(sim, sim.kSweep, "\"k_sweep\"");
  } catch (const UsageError& error) {
    throw UsageError("--repeat: " + Quoted(recorded.path) + ": " + error.what());
  }
  sim.firstPosition = record["first_position"].get<std::int64_t>();
  if (record["seed"].is_null()) {
    sim.seed.reset();
  } else {
    sim.seed = record["seed"].get<std::uint64_t>();
  }
}

void CheckSameMeaning(const Simulator& sim, const RecordedStart& recorded) {
  std::string differences;
  for (const json& field : recorded.record["fields"]) {
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
  const json& boxes = recorded.record["check_boxes"];
  for (const CheckBox box : kAllCheckBoxes) {
    const int was = boxes[CheckBoxName(box)]["validated"].get<int>();
    if (was == sim.controls.Tick(box)) continue;
    differences += std::string(differences.empty() ? "" : "; ") + CheckBoxName(box) + " recorded " +
                   std::to_string(was) + ", here " + std::to_string(sim.controls.Tick(box));
  }
  if (!differences.empty()) {
    throw UsageError("--repeat: the inputs of " + Quoted(recorded.path) +
                     " do not mean the same in this program after validation (" + differences +
                     "); not repeated");
  }
}

bool RecordedStartFinished(const RecordedStart& recorded) {
  return recorded.record["status"] == "done";
}

std::vector<std::string> DifferencesFromRecord(const nlohmann::ordered_json& now,
                                               const RecordedStart& recorded) {
  std::vector<std::string> differing;
  if (!RecordedStartFinished(recorded)) return differing;
  auto digestIn = [](const auto& files, const std::string& name) {
    for (const auto& file : files) {
      if (file["name"].template get<std::string>() == name) {
        return file["sha256"].template get<std::string>();
      }
    }
    return std::string("(missing)");
  };
  std::set<std::string> names;
  for (const json& file : recorded.record["report_files"]) names.insert(file["name"]);
  for (const nlohmann::ordered_json& file : now["report_files"]) names.insert(file["name"]);
  for (const std::string& name : names) {
    const std::string was = digestIn(recorded.record["report_files"], name);
    const std::string is = digestIn(now["report_files"], name);
    if (was == is) continue;
    differing.push_back("recmod-batch: " + EscapedText(name) +
                        " differs from the one recorded in " + Quoted(recorded.path) +
                        " (SHA-256 recorded " + EscapedText(was) + ", here " + is + ")");
  }
  return differing;
}

}  // namespace recmod::batch
