#include "record/StudyRecord.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "lanes/LanePath.hpp"
#include "numbers/ShortestNumber.hpp"
#include "sweep/SweepAxisCheck.hpp"
#include "ui/FieldCatalogue.hpp"
#include "version/BuildInfo.hpp"

namespace recmod {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// A number of the record: whole parameters as integers, so that a switch
// reads 1, not 1.0.
OrderedJson NumberJson(double value, bool whole) {
  if (whole && std::fabs(value) < 9.0e15) return static_cast<std::int64_t>(value);
  return value;
}

[[noreturn]] void Fail(const std::string& key, const std::string& problem) {
  throw SweepError(key + ": " + problem);
}

const Json& Member(const Json& object, const std::string& key, const std::string& where) {
  const auto found = object.find(key);
  if (found == object.end()) Fail(where, "the key \"" + key + "\" is missing");
  return *found;
}

// Refuses every key of `object` that is not one of `known`.
void OnlyKeys(const Json& object, std::initializer_list<std::string_view> known,
              const std::string& where) {
  if (!object.is_object()) Fail(where, "must be an object");
  for (const auto& [key, value] : object.items()) {
    bool listed = false;
    for (const std::string_view name : known) listed = listed || key == name;
    if (!listed) Fail(where + "." + key, "unknown key");
  }
}

double NumberOf(const Json& value, const std::string& key) {
  if (!value.is_number()) Fail(key, "must be a number");
  const double number = value.get<double>();
  if (!std::isfinite(number)) Fail(key, "must be a finite number");
  return number;
}

std::int64_t WholeOf(const Json& value, const std::string& key, std::int64_t least) {
  if (!value.is_number_integer()) Fail(key, "must be a whole number");
  if (value.is_number_unsigned() &&
      value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
    Fail(key, "is too large");
  }
  const auto number = value.get<std::int64_t>();
  if (number < least) Fail(key, "must be at least " + std::to_string(least));
  return number;
}

std::string TextOf(const Json& value, const std::string& key) {
  if (!value.is_string()) Fail(key, "must be a text");
  return value.get<std::string>();
}

std::string ChoiceOf(const Json& value, const std::string& key, std::string_view first,
                     std::string_view second) {
  const std::string text = TextOf(value, key);
  if (text != first && text != second) {
    Fail(key, "\"" + text + "\" is neither \"" + std::string(first) + "\" nor \"" +
                  std::string(second) + "\"");
  }
  return text;
}

std::vector<double> BaseOf(const Json& parameters, const std::string& where) {
  if (!parameters.is_object()) Fail(where, "must be an object");
  for (const auto& [name, value] : parameters.items()) {
    const ParameterInfo* parameter = FindParameter(name);
    if (parameter == nullptr || parameter->name != name) {
      std::string problem = "no such parameter";
      if (const auto nearest = NearestParameterName(name)) {
        problem += " (did you mean " + std::string(*nearest) + "?)";
      }
      Fail(where + "." + name, problem);
    }
  }
  std::vector<double> base;
  for (const ParameterInfo& parameter : Parameters()) {
    const std::string name(parameter.name);
    const std::string key = where + "." + name;
    const double value = NumberOf(Member(parameters, name, where), key);
    if (!InDomain(parameter, value)) {
      Fail(key, ShortestNumber(value) + " is outside the model domain " + DomainText(parameter));
    }
    base.push_back(value);
  }
  return base;
}

SweepAxis AxisOf(const Json& axis, const std::string& where) {
  OnlyKeys(axis, {"name", "values"}, where);
  const std::string name = TextOf(Member(axis, "name", where), where + ".name");
  const Json& values = Member(axis, "values", where);
  if (!values.is_array()) Fail(where + ".values", "must be a list of numbers");
  std::vector<double> numbers;
  for (std::size_t i = 0; i < values.size(); ++i) {
    numbers.push_back(NumberOf(values[i], where + ".values[" + std::to_string(i) + "]"));
  }
  try {
    return MakeSweepAxis(name, std::move(numbers));
  } catch (const SweepError& error) {
    Fail(where, error.what());
  }
}

OrderedJson OutputJson(const StudyOutput& output) {
  return {{"file", output.file},
          {"lines", output.digest.lines},
          {"bytes", output.digest.bytes},
          {"sha256", output.digest.sha256}};
}

StudyOutput OutputOf(const Json& json, const std::string& where) {
  OnlyKeys(json, {"file", "lines", "bytes", "sha256"}, where);
  StudyOutput output;
  output.file = TextOf(Member(json, "file", where), where + ".file");
  // A bare file name: a repeat writes it into a directory of the user's choosing.
  if (output.file.empty() || output.file.find('/') != std::string::npos || output.file == "." ||
      output.file == "..") {
    Fail(where + ".file", "\"" + output.file + "\" is not a plain file name");
  }
  output.digest.lines =
      static_cast<std::uint64_t>(WholeOf(Member(json, "lines", where), where + ".lines", 0));
  output.digest.bytes =
      static_cast<std::uint64_t>(WholeOf(Member(json, "bytes", where), where + ".bytes", 0));
  output.digest.sha256 = TextOf(Member(json, "sha256", where), where + ".sha256");
  return output;
}

// A bound of a window's field as the window shows it (1e-4, not the float's
// digits).
double FieldBound(float bound) {
  return std::strtod(ShortestNumber(bound).c_str(), nullptr);
}

}  // namespace

std::vector<std::string> ValuesBeyondTheWindow(const Study& study) {
  std::vector<std::string> notes;
  for (const SweepAxis& axis : study.sweep.axes) {
    const FieldEntry* field = FindFieldByParameter(axis.parameter->name);
    if (field == nullptr || field->index > kLastRangedField) continue;
    const double low = FieldBound(field->minimum);
    const double high = FieldBound(field->maximum);
    for (const double value : axis.values) {
      if (value >= low && value <= high) continue;
      notes.push_back(std::string(axis.parameter->name) + " = " + ShortestNumber(value) +
                      " is outside the window's range " + ShortestNumber(low) + " .. " +
                      ShortestNumber(high) + "; a study takes any value of the model's domain " +
                      DomainText(*axis.parameter));
      break;
    }
  }
  return notes;
}

OrderedJson StudyJson(const Study& study) {
  const Sweep& sweep = study.sweep;
  OrderedJson parameters = OrderedJson::object();
  const auto table = Parameters();
  for (std::size_t i = 0; i < table.size(); ++i) {
    parameters[std::string(table[i].name)] = NumberJson(study.base.at(i), table[i].whole);
  }
  OrderedJson axes = OrderedJson::array();
  for (const SweepAxis& axis : sweep.axes) {
    OrderedJson values = OrderedJson::array();
    for (const double value : axis.values)
      values.push_back(NumberJson(value, axis.parameter->whole));
    axes.push_back({{"name", std::string(axis.parameter->name)}, {"values", std::move(values)}});
  }
  OrderedJson json;
  json["parameters"] = std::move(parameters);
  json["axes"] = std::move(axes);
  json["replicates"] = sweep.replicates;
  json["population"] = sweep.finitePopulation ? "finite" : "infinite";
  json["sampling"] = study.Base("exact_sampling") != 0.0 ? "exact" : "draw";
  json["seed"] = sweep.seed ? OrderedJson(*sweep.seed) : OrderedJson(nullptr);
  json["first_position"] = sweep.firstPosition;
  return json;
}

Study StudyFromJson(const Json& json, std::int64_t runLimit) {
  const std::string where = "study";
  OnlyKeys(json,
           {"parameters", "axes", "replicates", "population", "sampling", "seed", "first_position"},
           where);
  Study study;
  study.base = BaseOf(Member(json, "parameters", where), where + ".parameters");
  Sweep& sweep = study.sweep;
  const Json& axes = Member(json, "axes", where);
  if (!axes.is_array()) Fail(where + ".axes", "must be a list");
  for (std::size_t i = 0; i < axes.size(); ++i) {
    sweep.axes.push_back(AxisOf(axes[i], where + ".axes[" + std::to_string(i) + "]"));
  }
  sweep.replicates = WholeOf(Member(json, "replicates", where), where + ".replicates", 1);
  sweep.finitePopulation = ChoiceOf(Member(json, "population", where), where + ".population",
                                    "finite", "infinite") == "finite";
  const bool exact =
      ChoiceOf(Member(json, "sampling", where), where + ".sampling", "draw", "exact") == "exact";
  if (exact != (study.Base("exact_sampling") != 0.0)) {
    Fail(where + ".sampling", "says " + std::string(exact ? "exact" : "draw") +
                                  " but the parameter exact_sampling says otherwise");
  }
  if (study.Base("drift") != (sweep.finitePopulation ? 1.0 : 0.0)) {
    Fail(where + ".parameters.drift",
         "must be 1 with a finite population and 0 with an infinite one");
  }
  const Json& seed = Member(json, "seed", where);
  if (!seed.is_null()) {
    if (!seed.is_number_unsigned()) Fail(where + ".seed", "must be a whole number from 0 or null");
    sweep.seed = seed.get<std::uint64_t>();
  }
  sweep.firstPosition =
      WholeOf(Member(json, "first_position", where), where + ".first_position", 0);
  try {
    CheckStudy(study, runLimit);
  } catch (const SweepError& error) {
    Fail(where, error.what());
  }
  return study;
}

OrderedJson StudyRecordJson(const StudyRecord& record) {
  OrderedJson json;
  json["format"] = 1;
  json["kind"] = kStudyRecordKind;
  json["program"] = {{"name", "recmod"},
                     {"version", ProgramVersion()},
                     {"source_revision", SourceRevision()},
                     {"compiler", CompilerName()},
                     {"simd", LanePathName(ActiveLanePath())}};
  json["front_end"] = record.frontEnd;
  json["command_line"] = record.commandLine;
  json["study"] = StudyJson(record.study);
  json["notes"] = ValuesBeyondTheWindow(record.study);
  OrderedJson outputs = OrderedJson::object();
  if (record.table) outputs["table"] = OutputJson(*record.table);
  if (record.summary) outputs["summary"] = OutputJson(*record.summary);
  json["outputs"] = std::move(outputs);
  json["status"] = record.status;
  json["message"] = record.message.empty() ? OrderedJson(nullptr) : OrderedJson(record.message);
  return json;
}

bool IsStudyRecord(const Json& json) {
  const auto kind = json.find("kind");
  return json.is_object() && kind != json.end() && kind->is_string() &&
         kind->get<std::string>() == kStudyRecordKind;
}

StudyRecord StudyRecordFromJson(const Json& json, std::int64_t runLimit) {
  const std::string where = "record";
  OnlyKeys(json,
           {"format", "kind", "program", "front_end", "command_line", "study", "notes", "outputs",
            "status", "message"},
           where);
  if (WholeOf(Member(json, "format", where), "format", 0) != 1) {
    Fail("format", "this program reads records of format 1");
  }
  if (!IsStudyRecord(json)) Fail("kind", "must be \"study\"");
  StudyRecord record;
  record.frontEnd = ChoiceOf(Member(json, "front_end", where), "front_end", "batch", "python");
  const Json& commandLine = Member(json, "command_line", where);
  if (!commandLine.is_array()) Fail("command_line", "must be a list of texts");
  for (std::size_t i = 0; i < commandLine.size(); ++i) {
    record.commandLine.push_back(TextOf(commandLine[i], "command_line[" + std::to_string(i) + "]"));
  }
  if (!Member(json, "program", where).is_object()) Fail("program", "must be an object");
  record.study = StudyFromJson(Member(json, "study", where), runLimit);
  const Json& outputs = Member(json, "outputs", where);
  OnlyKeys(outputs, {"table", "summary"}, "outputs");
  if (outputs.contains("table")) record.table = OutputOf(outputs["table"], "outputs.table");
  if (outputs.contains("summary")) record.summary = OutputOf(outputs["summary"], "outputs.summary");
  if (record.table && record.summary && record.table->file == record.summary->file) {
    Fail("outputs", "the table and the summary have the same file name");
  }
  record.status = TextOf(Member(json, "status", where), "status");
  const Json& message = Member(json, "message", where);
  if (!message.is_null()) record.message = TextOf(message, "message");
  return record;
}

std::string StudyRecordText(const StudyRecord& record) {
  return StudyRecordJson(record).dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

}  // namespace recmod
