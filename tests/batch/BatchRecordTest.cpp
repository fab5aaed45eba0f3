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
