// The batch program is for scripts: a typo in a number must stop the job
// instead of running with a number the user did not mean, an empty value
// never swallows the option after it, and nothing it changes goes untold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ProgramRun.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::ProgramOutcome;
using recmod::testing::RunBatchIn;
using recmod::testing::TempDirectory;

struct Case {
  std::vector<std::string> arguments;
  int status;
  std::string inStderr;  // must appear on stderr
};

TEST(BatchStrictInput, BadTextsAreUsageErrorsNamingOptionAndText) {
  const std::vector<Case> cases = {
      {{"--S", "abc"}, 2, "--S: \"abc\" is not a number"},
      {{"--S", "1e-1x"}, 2, "--S: \"1e-1x\" is not a number"},
      {{"--S", "0x10"}, 2, "--S: \"0x10\" is not a number"},
      {{"--maxgen", "12 5"}, 2, "--maxgen: \"12 5\""},
      {{"--R", "1,2,3"}, 2, "--R: \"1,2,3\""},
      {{"--txt", "3=1.1.1"}, 2, "--txt 3: \"1.1.1\""},
      {{"--txt", "17=inf"}, 2, "--txt 17: \"inf\""},
      {{"--u", "nan"}, 2, "--u: \"nan\""},
      {{"--dir", "/no/such/dir"}, 2, "--dir: \"/no/such/dir\" names no existing directory"},
      {{"--txt", "30=/no/such/dir"}, 2, "names no existing directory"},
      {{"--dir="}, 2, "names no existing directory"},
      {{"--threads", "0x10"}, 2, "--threads: \"0x10\""},
      {{"--threads", "+2"}, 2, "--threads: \"+2\""},
      {{"--threads", "0"}, 2, "--threads: \"0\""},
      {{"--loci", "03x"}, 2, "--loci: \"03x\""},
      {{"--seed", " 7"}, 2, "--seed: \" 7\""},
      {{"--seed", "0x7"}, 2, "--seed: \"0x7\""},
      // An empty value empties the field: refused as the window refuses it.
      {{"--S="}, 1, "One or more value are needed!"},
      {{"--S"}, 1, "One or more value are needed!"},
      {{"--iterations", "--mode", "3"}, 1, "One or more value are needed!"},
  };
  TempDirectory dir;
  for (const Case& c : cases) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments[0] << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(c.inStderr), std::string::npos)
        << c.arguments[0] << ": " << outcome.err;
  }
  // Nothing ran: no report file, no record.
  EXPECT_FALSE(fs::exists(dir / "ReportFile1.txt"));
}

TEST(BatchStrictInput, TextsTheWindowReadsWholeStillPass) {
  TempDirectory dir;
  for (const std::string text : {",05", "1,5E-1", " 0.1 ", "+.1", "1e-1", "-0"}) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), {"--S", text, "--fields"});
    EXPECT_EQ(outcome.status, 0) << text << ": " << outcome.err;
  }
}

// An empty value never takes the next argument as its own: the option after
// it still acts.
TEST(BatchStrictInput, AnEmptyValueLeavesTheNextOptionAlone) {
  const std::vector<std::vector<std::string>> listings = {
      {"--S=", "--fields"}, {"--S", "--fields"}, {"--S", "", "--fields"}};
  for (const auto& arguments : listings) {
    TempDirectory dir;
    const ProgramOutcome outcome = RunBatchIn(dir.path(), arguments);
    EXPECT_EQ(outcome.status, 0) << arguments[0] << arguments[1] << outcome.err;
    EXPECT_NE(outcome.out.find("\n2\t\n"), std::string::npos) << outcome.out;
    EXPECT_FALSE(fs::exists(dir / "ReportFile1.txt"));
  }
  TempDirectory dir;
  const ProgramOutcome quiet = RunBatchIn(dir.path(), {"--R=", "--quiet", "--maxgen", "10"});
  EXPECT_EQ(quiet.out, "");  // --quiet acted
  EXPECT_NE(quiet.status, 2) << quiet.err;
}

// --quiet hides information, never a change to what was asked.
TEST(BatchStrictInput, QuietStillTellsAValueBroughtIntoRange) {
  TempDirectory dir;
  ProgramOutcome outcome = RunBatchIn(dir.path(), {"--S", "-2", "--maxgen", "12.7", "--quiet"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("S: -2 -> -.99"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("maxgen: 12.7 -> 12"), std::string::npos) << outcome.err;
  // A text only rewritten to the same number is information.
  outcome = RunBatchIn(dir.path(), {"--R", ".5", "--maxgen", "10", "--quiet"});
  EXPECT_EQ(outcome.err, "");
  outcome = RunBatchIn(dir.path(), {"--R", ".5", "--maxgen", "10"});
  EXPECT_NE(outcome.err.find("R: .5 -> 0.5"), std::string::npos) << outcome.err;
}

TEST(BatchStrictInput, FieldListingEscapesControlCharacters) {
  TempDirectory dir;
  const fs::path odd = dir /
                       "a\nb\tc\x01"
                       "d";
  fs::create_directory(odd);
  const ProgramOutcome outcome = RunBatchIn(dir.path(), {"--dir", odd.string(), "--fields"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("\n30\t" + dir.string() + "/a\\nb\\tc\\x01d\n"), std::string::npos)
      << outcome.out;
  // One field or box a line: 28 fields and 8 boxes.
  EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 36);
}

}  // namespace

namespace {

// A number beyond a double is out of range like 1e308, not a run-time
// overflow that echoes every digit.
TEST(BatchStrictInput, ANumberBeyondADoubleIsBroughtIntoRangeLikeAnyOther) {
  const std::string digits = "1" + std::string(100000, '0');
  const struct {
    std::string text;
    const char* notice;
  } kCases[] = {{"1e308", "S: 1e308 -> 1"},
                {"1e309", "S: 1e309 -> 1"},
                {"-1e309", "S: -1e309 -> -.99"},
                {digits, "S: 1000000000"}};
  for (const auto& in : kCases) {
    TempDirectory dir;
    const ProgramOutcome outcome =
        RunBatchIn(dir.path(), {"--S", in.text, "--maxgen", "10", "--quiet"});
    EXPECT_EQ(outcome.status, 0) << in.text.substr(0, 20) << ": " << outcome.err.substr(0, 300);
    EXPECT_NE(outcome.err.find(in.notice), std::string::npos) << outcome.err.substr(0, 300);
    EXPECT_LT(outcome.err.size(), 300U) << "the text is not echoed whole";
  }
}

// Output that cannot be written is no success (a reader that left is one:
// BatchFaults, AVanishedReaderOrAClosedStreamNeverFailsAStart).
TEST(BatchStrictInput, AListingThatCannotBeWrittenIsARunTimeError) {
  TempDirectory dir;
  const ProgramOutcome full = recmod::testing::RunIn(
      dir.path(),
      {"/bin/sh", "-c", "exec '" + std::string(RECMOD_BATCH_PATH) + "' --fields > /dev/full"});
  EXPECT_EQ(full.status, 3);
  EXPECT_NE(full.err.find("standard output: No space left on device"), std::string::npos)
      << full.err;
}

}  // namespace
