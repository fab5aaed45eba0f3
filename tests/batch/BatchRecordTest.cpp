// Every start leaves recmod-run.json beside its report files, and
// recmod-batch --repeat makes the same report files from it alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "support/ProgramRun.hpp"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReadFileBytes;
using recmod::testing::RunBatchIn;
using recmod::testing::TempDirectory;

json ReadRecord(const fs::path& directory) {
  std::ifstream in(directory / "recmod-run.json");
  return json::parse(in);
}

void WriteRecord(const fs::path& path, const json& record) {
  std::ofstream(path) << record.dump(2);
}

// The SHA-256 of a file by the system's own tool, not by the program's.
std::string Sha256Of(const fs::path& path) {
  const std::string command = "sha256sum '" + path.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  char digest[65] = {};
  if (pipe == nullptr || std::fscanf(pipe, "%64s", digest) != 1) digest[0] = '\0';
  if (pipe != nullptr) ::pclose(pipe);
  return digest;
}

std::vector<std::string> ReportFiles(const fs::path& directory) {
  std::vector<std::string> names;
  for (const char* name : {"ReportFile1.txt", "ReportFile2.txt", "ReportFile3.txt"}) {
    if (fs::exists(directory / name)) names.emplace_back(name);
  }
  return names;
}

struct Mode {
  std::vector<std::string> arguments;
  bool drawsRandomNumbers;
};

const std::vector<Mode> kModes = {
    {{"--mode", "single-infinite", "--S", "-2", "--maxgen", "30"}, false},
    {{"--mode", "single-finite", "--log10n", "3", "--maxgen", "30"}, true},
    {{"--mode", "single-finite", "--loci", "3", "--c", "0.4", "--sampling", "exact", "--tick",
      "InversionOfS", "--inversion-period", "10", "--maxgen", "30"},
     true},
    {{"--mode", "loop-sk", "--s-range", "0.05:0.1:0.05", "--k-range", "0.9:1:0.1", "--maxgen",
      "20"},
     false},
    {{"--mode", "loop-log10n", "--log10n-from", "1", "--log10n-to", "2", "--iterations", "3",
      "--maxgen", "20", "--first-position", "2"},
     true},
};

// Each mode: a seed when it draws, a record that says what was asked and
// what was written, and a repeat that writes the same bytes elsewhere.
TEST(BatchRecord, EveryModeIsRecordedAndRepeatedByteForByte) {
  for (const Mode& mode : kModes) {
    const std::string what = mode.arguments[1];
    TempDirectory first;
    const ProgramOutcome outcome = RunBatchIn(first.path(), mode.arguments);
    ASSERT_EQ(outcome.status, 0) << what << ": " << outcome.err;
    const json record = ReadRecord(first.path());

    std::smatch seed;
    const bool seedShown = std::regex_search(outcome.err, seed, std::regex("seed: (\\d+)\n"));
    EXPECT_EQ(seedShown, mode.drawsRandomNumbers) << what << ": " << outcome.err;
    if (mode.drawsRandomNumbers) {
      ASSERT_TRUE(record["seed"].is_number_unsigned()) << what;
      EXPECT_EQ(std::to_string(record["seed"].get<std::uint64_t>()), seed[1].str()) << what;
    } else {
      EXPECT_TRUE(record["seed"].is_null()) << what;
    }

    EXPECT_EQ(record["format"], 1);
    EXPECT_EQ(record["status"], "done") << what;
    EXPECT_EQ(record["front_end"], "batch");
    EXPECT_EQ(record["run_mode"]["name"], what);
    EXPECT_EQ(record["command_line"].size(), mode.arguments.size() + 1);
    EXPECT_EQ(record["report_directory"], first.string());
    EXPECT_FALSE(record["host"].get<std::string>().empty());
    const std::regex utc("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    EXPECT_TRUE(std::regex_match(record["started"].get<std::string>(), utc));
    EXPECT_TRUE(std::regex_match(record["ended"].get<std::string>(), utc));
    const std::string simd = record["program"]["simd"];
    EXPECT_TRUE(simd == "avx512" || simd == "avx2" || simd == "scalar") << simd;

    // Per report file its lines and digest, as the system's tools count them.
    const std::vector<std::string> files = ReportFiles(first.path());
    ASSERT_EQ(record["report_files"].size(), files.size()) << what;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const json& file = record["report_files"][i];
      const std::string bytes = ReadFileBytes(first / files[i]);
      EXPECT_EQ(file["name"], files[i]);
      EXPECT_EQ(file["lines"], std::count(bytes.begin(), bytes.end(), '\n'));
      EXPECT_EQ(file["sha256"], Sha256Of(first / files[i]));
    }

    TempDirectory again;
    const ProgramOutcome repeated = RunBatchIn(
        again.path(), {"--repeat", (first / "recmod-run.json").string(), "--dir", again.string()});
    EXPECT_EQ(repeated.status, 0) << what << ": " << repeated.err;
    EXPECT_EQ(repeated.err.find("warning"), std::string::npos) << repeated.err;
    for (const std::string& name : files) {
      EXPECT_EQ(ReadFileBytes(again / name), ReadFileBytes(first / name)) << what << " " << name;
    }
    EXPECT_EQ(ReadRecord(again.path())["seed"], record["seed"]);
  }
}

// Replicates made with a shell loop differ: each start draws its own seed.
TEST(BatchRecord, UnseededFiniteRunsAreNotCopiesOfEachOther) {
  TempDirectory dir;
  const std::vector<std::string> run = {"--mode", "single-finite", "--log10n",
                                        "2",      "--maxgen",      "50"};
  ASSERT_EQ(RunBatchIn(dir.path(), run).status, 0);
  const std::string first = ReadFileBytes(dir / "ReportFile1.txt");
  ASSERT_EQ(RunBatchIn(dir.path(), run).status, 0);
  EXPECT_NE(ReadFileBytes(dir / "ReportFile1.txt"), first);
}

TEST(BatchRecord, TypedAndValidatedTextsAndBoxes) {
  TempDirectory dir;
  ASSERT_EQ(
      RunBatchIn(dir.path(), {"--S", "-2", "--demes", "3", "--maxgen", "10", "--quiet"}).status, 0);
  const json record = ReadRecord(dir.path());
  const json& s = record["fields"][2];
  EXPECT_EQ(s["name"], "S");
  EXPECT_EQ(s["typed"], "-.99");  // the command line's own validation pass ran
  EXPECT_EQ(record["check_boxes"]["InterdemicDiffusion"]["validated"], 1);
  EXPECT_EQ(record["check_boxes"]["ExactSampling"]["validated"], 0);
  EXPECT_EQ(record["fields"].size(), 24U);  // 0..22 and 30
}

// A refused start says why and lists no file; one that never got going
// writes nothing.
TEST(BatchRecord, RefusedStartsAreRecordedWithTheirMessage) {
  TempDirectory dir;
  const ProgramOutcome refused = RunBatchIn(dir.path(), {"--S="});
  EXPECT_EQ(refused.status, 1);
  const json record = ReadRecord(dir.path());
  EXPECT_EQ(record["status"], "refused");
  EXPECT_EQ(record["message"], "One or more value are needed!");
  EXPECT_TRUE(record["report_files"].empty());
  EXPECT_TRUE(record["ended"].is_string());
}

// A start whose record cannot be written has not done all it must.
TEST(BatchRecord, ARecordThatCannotBeWrittenIsARunTimeError) {
  TempDirectory dir;
  fs::create_directory(dir / "recmod-run.json");
  const ProgramOutcome outcome = RunBatchIn(dir.path(), {"--maxgen", "10", "--quiet"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_NE(outcome.err.find("the record of the start could not be written"), std::string::npos)
      << outcome.err;
  EXPECT_TRUE(fs::exists(dir / "ReportFile1.txt"));
}

TEST(BatchRecord, RepeatRefusesWhatItCannotRepeatExactly) {
  TempDirectory dir;
  ASSERT_EQ(RunBatchIn(dir.path(), {"--maxgen", "20", "--quiet"}).status, 0);
  const json record = ReadRecord(dir.path());
  const fs::path edited = dir / "edited.json";
  auto repeat = [&](const json& changed) {
    WriteRecord(edited, changed);
    TempDirectory out;
    return RunBatchIn(out.path(), {"--repeat", edited.string(), "--dir", out.string()});
  };

  json other = record;
  other["program"]["version"] = "0.0.1";
  ProgramOutcome outcome = repeat(other);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("warning: " + edited.string() + " was written by recmod 0.0.1"),
            std::string::npos)
      << outcome.err;

  // The recorded inputs would validate to other texts here: not repeated.
  other["fields"][17]["validated"] = "21";
  outcome = repeat(other);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("maxgen recorded \"21\", here \"20\""), std::string::npos)
      << outcome.err;

  json layout = record;
  layout["format"] = 2;
  EXPECT_EQ(repeat(layout).status, 2);
  EXPECT_EQ(repeat(json::array()).status, 2);
  EXPECT_EQ(RunBatchIn(dir.path(), {"--repeat", (dir / "none.json").string()}).status, 2);
  EXPECT_EQ(RunBatchIn(dir.path(), {"--repeat", edited.string(), "--S", "0.1"}).status, 2);
}

}  // namespace

namespace {

// A record whose inputs the command line would refuse is refused too, naming
// the key, before anything is written.
TEST(BatchRecord, ARecordsInputsAreCheckedAsTheCommandLineChecksThem) {
  TempDirectory dir;
  ASSERT_EQ(RunBatchIn(dir.path(), {"--mode", "loop-sk", "--s-range", "0.1:0.1:0.1", "--k-range",
                                    "1:1:0.1", "--maxgen", "10", "--quiet"})
                .status,
            0);
  const json record = ReadRecord(dir.path());
  const struct {
    const char* pointer;
    json value;
    const char* key;
  } kCases[] = {
      {"/fields/2/typed", "abc", "\"fields[2].typed (S)\""},
      {"/fields/2/typed", "nan", "\"fields[2].typed (S)\""},
      {"/fields/2/typed", "inf", "\"fields[2].typed (S)\""},
      {"/fields/2/typed", "0.05xyz", "\"fields[2].typed (S)\""},
      {"/fields", json::array(), "\"fields\": field 0 is missing"},
      {"/s_sweep/step", 0, "\"s_sweep\": STEP must be greater than 0"},
      {"/s_sweep/from", 0.5, "\"s_sweep\": FROM must not be greater than TO"},
      {"/k_sweep/to", 5, "\"k_sweep\": K must stay within"},
      {"/seed", -1, "\"seed\""},
      {"/seed", 4.7, "\"seed\""},
      {"/seed", 1e30, "\"seed\""},
      {"/loci", 5, "\"loci\""},
      {"/loci", 2.9, "\"loci\""},
      {"/check_boxes/RecombForR/typed", 0.5, "\"check_boxes.RecombForR.typed\""},
      {"/first_position", -5, "\"first_position\""},
      {"/first_position", 3, "\"first_position\": only mode 3"},
      {"/run_mode/index", 7, "\"run_mode.index\""},
  };
  const fs::path edited = dir / "edited.json";
  for (const auto& in : kCases) {
    json changed = record;
    changed[json::json_pointer(in.pointer)] = in.value;
    WriteRecord(edited, changed);
    TempDirectory out;
    const ProgramOutcome outcome =
        RunBatchIn(out.path(), {"--repeat", edited.string(), "--dir", out.string()});
    EXPECT_EQ(outcome.status, 2) << in.pointer << " " << in.value << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(in.key), std::string::npos) << in.pointer << ": " << outcome.err;
    EXPECT_TRUE(fs::is_empty(out.path())) << in.pointer;
  }
  // 2^64 is no seed either (JSON reads it as a float).
  std::string text = ReadFileBytes(dir / "recmod-run.json");
  text.replace(text.find("\"seed\": null"), 12, "\"seed\": 18446744073709551616");
  std::ofstream(edited) << text;
  TempDirectory out;
  EXPECT_EQ(RunBatchIn(out.path(), {"--repeat", edited.string(), "--dir", out.string()}).status, 2);
  EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(BatchRecord, ACraftedRecordNeitherCrashesTheProgramNorWritesToTheTerminal) {
  TempDirectory dir;
  const fs::path crafted = dir / "crafted.json";
  std::ofstream(crafted) << "{\"format\": " << std::string(100000, '[') << std::string(100000, ']')
                         << ", \"program\": {}}";
  ProgramOutcome outcome =
      RunBatchIn(dir.path(), {"--repeat", crafted.string(), "--dir", dir.string()});
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_NE(outcome.err.find("nested too deeply"), std::string::npos) << outcome.err;

  std::ofstream(crafted) << std::string(2 << 20, ' ') << "{}";
  EXPECT_EQ(RunBatchIn(dir.path(), {"--repeat", crafted.string(), "--dir", dir.string()}).status,
            2);

  // A version with a newline would forge a line of the program's own.
  TempDirectory first;
  ASSERT_EQ(RunBatchIn(first.path(), {"--maxgen", "10", "--quiet"}).status, 0);
  json record = ReadRecord(first.path());
  record["program"]["version"] = "1\nReportFile1.txt written to /etc\x1b[2J";
  WriteRecord(crafted, record);
  TempDirectory out;
  outcome = RunBatchIn(out.path(), {"--repeat", crafted.string(), "--dir", out.string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("recmod 1\\nReportFile1.txt written to /etc\\x1b[2J"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(outcome.err.find('\x1b'), std::string::npos);
}

// A repeat reproduces or says that it did not; it never touches the start
// it was asked to reproduce.
TEST(BatchRecord, ARepeatLeavesTheRecordedStartAloneAndADifferenceIsExit4) {
  TempDirectory first;
  ASSERT_EQ(
      RunBatchIn(first.path(), {"--mode", "single-finite", "--maxgen", "20", "--quiet"}).status, 0);
  const fs::path path = first / "recmod-run.json";
  const std::string recorded = ReadFileBytes(path);
  const std::string report = ReadFileBytes(first / "ReportFile1.txt");

  ProgramOutcome outcome = RunBatchIn(first.path(), {"--repeat", path.string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--dir"), std::string::npos) << outcome.err;
  outcome = RunBatchIn(first.path(), {"--repeat", path.string(), "--dir", first.string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("never replaces it"), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadFileBytes(path), recorded);
  EXPECT_EQ(ReadFileBytes(first / "ReportFile1.txt"), report);

  outcome = RunBatchIn(first.path(), {"--verify", path.string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("every report file is the same as recorded"), std::string::npos);

  // A record whose digest the files do not match.
  json tampered = json::parse(recorded);
  tampered["report_files"][0]["sha256"] = std::string(64, '0');
  const fs::path other = first / "tampered.json";
  WriteRecord(other, tampered);
  TempDirectory again;
  outcome = RunBatchIn(again.path(), {"--repeat", other.string(), "--dir", again.string()});
  EXPECT_EQ(outcome.status, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("ReportFile1.txt differs from the one recorded"), std::string::npos)
      << outcome.err;
  outcome = RunBatchIn(again.path(), {"--verify", other.string()});
  EXPECT_EQ(outcome.status, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("ReportFile1.txt differs"), std::string::npos) << outcome.err;

  // Only a finished start can be verified.
  for (const char* status : {"running", "stopped", "error"}) {
    tampered = json::parse(recorded);
    tampered["status"] = status;
    WriteRecord(other, tampered);
    outcome = RunBatchIn(again.path(), {"--verify", other.string()});
    EXPECT_EQ(outcome.status, 2) << status;
    EXPECT_NE(outcome.err.find("did not finish"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(RunBatchIn(again.path(), {"--verify", path.string(), "--dir", "."}).status, 2);
}

}  // namespace
