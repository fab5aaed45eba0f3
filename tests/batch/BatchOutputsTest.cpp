// The files a start writes besides its report files: --table and --plot.
// A path that would destroy something or cannot take the file is refused
// before anything runs; a file that cannot be written is a run-time error
// that leaves no part of it and a record that says what failed; the save
// directory stays the start's until its final record is written.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "BatchSession.hpp"
#include "model/RuntimeError.hpp"
#include "output/DirectoryLock.hpp"
#include "support/ProgramRun.hpp"
#include "support/ScratchMount.hpp"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReadFileBytes;
using recmod::testing::RunBatchIn;
using recmod::testing::RunIn;
using recmod::testing::TempDirectory;

json ReadRecord(const fs::path& directory) {
  std::ifstream in(directory / "recmod-run.json");
  return json::parse(in);
}

std::size_t EntriesIn(const fs::path& directory) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

TEST(BatchOutputs, PathsThatWouldDestroySomethingOrCannotBeWrittenAreRefusedBeforeTheRun) {
  TempDirectory work;
  for (const char* name : {"out", "other", "busy"}) fs::create_directory(work / name);
  std::ofstream(work / "other" / "victim.txt") << "victim";
  std::ofstream(work / "other" / "ReportFile2.txt") << "another start's results";
  fs::create_symlink("../other/victim.txt", work / "out" / "link.csv");
  ASSERT_EQ(::mkfifo((work / "out" / "fifo.csv").c_str(), 0644), 0);
  fs::create_directory(work / "out" / "dir.csv");
  // Another start writing into "busy".
  const recmod::DirectoryLock busy((work / "busy").string());

  const struct {
    std::vector<std::string> outputs;
    const char* told;
  } kCases[] = {
    {{"--table", "out/ReportFile1.txt"}, "the name of a report file or a record"},
    {{"--table", "out/recmod-run.json"}, "the name of a report file or a record"},
    {{"--table", "other/ReportFile2.txt"}, "the name of a report file or a record"},
    {{"--table", "out/link.csv"}, "a link is in the way"},
    {{"--table", "out/fifo.csv"}, "a FIFO is in the way"},
    {{"--table", "out/dir.csv"}, "a directory is in the way"},
    {{"--table", "out/" + std::string(5000, 'a') + ".csv"}, "File name too long"},
    {{"--table", "busy/t.csv"}, "another start is writing its report files in that directory"},
    {{"--table", "none/t.csv"}, "No such file or directory"},
#if RECMOD_TEST_PICTURES
    {{"--table", "out/x.png", "--plot", "out/x.png"}, "--table and --plot name the same file"},
    {{"--plot", "busy/p.svg"}, "another start is writing its report files in that directory"},
#endif
  };
  for (const auto& in : kCases) {
    std::vector<std::string> arguments = {"--maxgen", "10", "--dir", "out", "--quiet"};
    arguments.insert(arguments.end(), in.outputs.begin(), in.outputs.end());
    const ProgramOutcome outcome = RunBatchIn(work.path(), arguments);
    const std::string what = in.outputs[1].substr(0, 40);
    EXPECT_EQ(outcome.status, 2) << what << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(in.told), std::string::npos) << what << ": " << outcome.err;
    EXPECT_LT(outcome.err.size(), 1000U) << "a long name is not echoed whole";
    EXPECT_FALSE(fs::exists(work / "out" / "ReportFile1.txt")) << what << ": nothing ran";
  }
  EXPECT_EQ(ReadFileBytes(work / "other" / "victim.txt"), "victim");
  EXPECT_EQ(ReadFileBytes(work / "other" / "ReportFile2.txt"), "another start's results");
  EXPECT_EQ(EntriesIn(work / "busy"), 0U);
}

// The record says "done" only when every output was written.
TEST(BatchOutputs, ATableThatDoesNotFitIsARunTimeErrorWithNoPartAndARecordThatSaysSo) {
  recmod::testing::ScratchMount device(16 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs to fill: " << device.failure();
  TempDirectory out;
  const fs::path table = device.path() / "sk.csv";
  const ProgramOutcome outcome = RunBatchIn(
      out.path(), {"--mode", "loop-sk", "--maxgen", "10", "--table", table.string(), "--quiet"});
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  EXPECT_NE(outcome.err.find("--table: " + table.string() + ": No space left on device"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(EntriesIn(device.path()), 0U) << "no table and no temporary file";
  const json record = ReadRecord(out.path());
  EXPECT_EQ(record["status"], "error");
  EXPECT_NE(record["message"].get<std::string>().find("--table"), std::string::npos);
  EXPECT_EQ(record["report_files"].size(), 1U) << "the report file itself is whole";
}

#if RECMOD_TEST_PICTURES
// The drawing library does not tell of a failed write: the picture is drawn
// in memory and written as one checked file.
TEST(BatchOutputs, APictureCutByTheFileSizeLimitIsARunTimeErrorAndLeavesNoFile) {
  TempDirectory dir;
  const std::string command = "ulimit -f 8; exec '" + std::string(RECMOD_BATCH_PATH) +
                              "' --mode 2 --s-range 0.01:0.02:0.01 --maxgen 10 --plot p.svg "
                              "--quiet";
  const ProgramOutcome outcome = RunIn(dir.path(), {"/bin/sh", "-c", command});
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  EXPECT_NE(outcome.err.find("--plot: p.svg: File too large"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(dir / "p.svg"));
  EXPECT_EQ(ReadRecord(dir.path())["status"], "error");
}
#endif

// Another start that took the directory between the end of the runs and the
// final record would have its files recorded under this start's inputs.
TEST(BatchOutputs, TheSaveDirectoryStaysTheStartsUntilItsFinalRecord) {
  TempDirectory dir;
  std::vector<std::string> arguments = {"recmod-batch", "--mode",    "loop-sk", "--s-range",
                                        "0.1:0.1:0.1",  "--maxgen",  "10",      "--quiet",
                                        "--dir",        dir.string()};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  const recmod::batch::ParseResult parsed =
      recmod::batch::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  ASSERT_TRUE(parsed.request.has_value());
  bool refusedMeanwhile = false;
  recmod::batch::BatchHooks hooks;
  hooks.afterStart = [&](const recmod::Simulator&) {
    try {
      const recmod::DirectoryLock second(dir.string());
    } catch (const recmod::RuntimeError&) {
      refusedMeanwhile = true;
    }
  };
  EXPECT_EQ(recmod::batch::RunBatch(*parsed.request, hooks), 0);
  EXPECT_TRUE(refusedMeanwhile) << "the directory was free before the record was written";
  EXPECT_EQ(ReadRecord(dir.path())["status"], "done");
  EXPECT_NO_THROW(recmod::DirectoryLock after(dir.string())) << "released at the end";
}

// A stop asked for between the runs and the outputs: no output is written
// half, none is claimed, and the exit status says that the program was
// stopped (it once exited 0 with a table cut short).
TEST(BatchOutputs, ASignalBeforeTheOutputsSkipsThemAndIsNoSuccess) {
  TempDirectory dir;
  const fs::path table = dir / "t.csv";
  std::vector<std::string> arguments = {"recmod-batch", "--maxgen",   "10",      "--quiet",
                                        "--dir",        dir.string(), "--table", table.string()};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  const recmod::batch::ParseResult parsed =
      recmod::batch::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  ASSERT_TRUE(parsed.request.has_value());
  recmod::batch::BatchHooks hooks;
  hooks.afterStart = [](const recmod::Simulator&) { ::raise(SIGTERM); };
  EXPECT_EQ(recmod::batch::RunBatch(*parsed.request, hooks), 128 + SIGTERM);
  EXPECT_FALSE(fs::exists(table));
  EXPECT_EQ(ReadRecord(dir.path())["status"], "stopped");
}

}  // namespace
