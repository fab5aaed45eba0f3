// Studies from the command line (--sweep): bad input refused before anything
// is written, the two tables of a small study, the same bytes on any number
// of threads, and the repeat of a study from its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/ProgramRun.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReadFileBytes;
using recmod::testing::RunBatchIn;
using recmod::testing::TempDirectory;

using Rows = std::vector<std::vector<std::string>>;

Rows ReadCsv(const fs::path& path) {
  Rows rows;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::stringstream cellsIn(line);
    for (std::string cell; std::getline(cellsIn, cell, ',');) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::size_t Column(const Rows& rows, const std::string& name) {
  const auto at = std::find(rows.at(0).begin(), rows.at(0).end(), name);
  EXPECT_NE(at, rows.at(0).end()) << name;
  return static_cast<std::size_t>(at - rows.at(0).begin());
}

std::size_t EntriesIn(const fs::path& directory) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(BatchStudy, BadInputIsAUsageErrorBeforeAnythingIsWritten) {
  const struct {
    std::vector<std::string> arguments;
    const char* told;
  } kCases[] = {
      {{"--sweep", "Kk=1,2"}, "no parameter \"Kk\" (did you mean K?)"},
      {{"--sweep", "u=0.1", "--sweep", "u=0.2"}, "u is an axis twice"},
      {{"--sweep", "u="}, "the list of values is empty"},
      {{"--sweep", "u=0:1:0"}, "STEP must be above 0"},
      {{"--sweep", "u=0:1:-0.1"}, "STEP must be above 0"},
      {{"--sweep", "u=0:1:nan"}, "STEP \"nan\" is not a finite number"},
      {{"--sweep", "u=1:0:0.1"}, "FROM must not be above TO"},
      {{"--sweep", "u=0:1:1e-8"}, "more than 10000000 values"},
      {{"--sweep", "u=0:1:0.001", "--sweep", "K=0:1:0.0001"},
       "more than 10000000 runs (points times replicates); --force allows it"},
      {{"--sweep", "u=0.5,2"}, "u = 2 is outside its model domain [0, 1]"},
      {{"--sweep", "S=-1,0"}, "S = -1 is outside its model domain (-1, inf)"},
      {{"--sweep", "u=0.1", "--replicates", "5"}, "replicates need a finite population"},
      {{"--sweep", "log10n=2,3"}, "log10n cannot be an axis of an infinite population"},
      {{"--sweep", "drift=0,1", "--population", "finite"}, "drift cannot be an axis"},
      {{"--sweep", "u=0.1", "--sampling", "exact"}, "an infinite population has no drift"},
      {{"--sweep", "u=0.1", "--population", "many"}, "\"many\" is no population"},
      {{"--sweep", "u=0.1", "--mode", "2"}, "--mode does not go with --sweep"},
      {{"--replicates", "5"}, "--replicates: only a study"},
  };
  for (const auto& c : kCases) {
    TempDirectory work;
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--table", "runs.csv"});
    const ProgramOutcome outcome = RunBatchIn(work.path(), arguments);
    EXPECT_EQ(outcome.status, 2) << c.told << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find(c.told), std::string::npos) << outcome.err;
    EXPECT_EQ(EntriesIn(work.path()), 0U) << c.told;
  }
  TempDirectory work;
  const ProgramOutcome noOutput = RunBatchIn(work.path(), {"--sweep", "u=0.1"});
  EXPECT_EQ(noOutput.status, 2);
  EXPECT_NE(noOutput.err.find("needs --table FILE.csv, --summary FILE.csv or --plot FILE"),
            std::string::npos);
}

// A finite study with replicates: every run a row, every point a row whose
// numbers are those of its runs, the record beside them and no report file.
TEST(BatchStudy, TablesHoldEveryRunAndEachPointsStatistics) {
  TempDirectory work;
  const ProgramOutcome outcome =
      RunBatchIn(work.path(), {"--sweep", "log10n=1,1.5", "--sweep", "R=0.2,0.5", "--population",
                               "finite", "--replicates", "4", "--seed", "7", "--maxgen", "40",
                               "--S", "0", "--table", "runs.csv", "--summary", "points.csv"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(EntriesIn(work.path()), 3U);  // the two tables and recmod-run.json

  const Rows runs = ReadCsv(work / "runs.csv");
  const Rows points = ReadCsv(work / "points.csv");
  ASSERT_EQ(runs.size(), 1U + 16U);
  ASSERT_EQ(points.size(), 1U + 4U);
  EXPECT_EQ(runs[0], (std::vector<std::string>{"run", "log10n", "R", "replicate", "seed", "rplus",
                                               "outcome", "generation"}));
  for (std::size_t row = 1; row < runs.size(); ++row) {
    ASSERT_EQ(runs[row].size(), runs[0].size());
    EXPECT_EQ(runs[row][0], std::to_string(row - 1));
    EXPECT_EQ(runs[row][Column(runs, "replicate")], std::to_string((row - 1) % 4));
    EXPECT_EQ(runs[row][Column(runs, "seed")], "7");
    const double rPlus = std::stod(runs[row][Column(runs, "rplus")]);
    EXPECT_TRUE(rPlus >= 0.0 && rPlus <= 1.0) << rPlus;
    // Fixed means R+ alone is left, lost that it is gone; only then a generation.
    const std::string& ended = runs[row][Column(runs, "outcome")];
    const std::string& generation = runs[row][Column(runs, "generation")];
    if (ended != "segregating") {
      EXPECT_EQ(rPlus, ended == "fixed" ? 1.0 : 0.0) << row;
      EXPECT_LE(std::stoi(generation), 40);
    }
    EXPECT_EQ(generation.empty(), ended == "segregating") << row;
  }
  EXPECT_EQ(runs[5][1], "1");    // log10n of run 4: the first axis varies slowest
  EXPECT_EQ(runs[5][2], "0.5");  // R of run 4
  EXPECT_EQ(runs[9][1], "1.5");
  for (std::size_t point = 0; point < 4; ++point) {
    const std::vector<std::string>& row = points[point + 1];
    ASSERT_EQ(row.size(), points[0].size());
    EXPECT_EQ(row[Column(points, "n")], "4");
    double sum = 0.0;
    int fixedRuns = 0;
    int lostRuns = 0;
    for (std::size_t run = 0; run < 4; ++run) {
      const std::vector<std::string>& cells = runs[1 + point * 4 + run];
      sum += std::stod(cells[Column(runs, "rplus")]);
      fixedRuns += cells[Column(runs, "outcome")] == "fixed" ? 1 : 0;
      lostRuns += cells[Column(runs, "outcome")] == "lost" ? 1 : 0;
    }
    EXPECT_NEAR(std::stod(row[Column(points, "mean")]), sum / 4.0, 1e-15);
    const double fixed = std::stod(row[Column(points, "fixed")]);
    const double lost = std::stod(row[Column(points, "lost")]);
    EXPECT_EQ(fixed, fixedRuns / 4.0);
    EXPECT_EQ(lost, lostRuns / 4.0);
    EXPECT_LE(fixed + lost, 1.0);
    EXPECT_LE(std::stod(row[Column(points, "fixed_low")]), fixed);
    EXPECT_GE(std::stod(row[Column(points, "fixed_high")]), fixed);
  }
  std::ifstream recordIn(work / "recmod-run.json");
  const nlohmann::json record = nlohmann::json::parse(recordIn);
  EXPECT_EQ(record["kind"], "study");
  EXPECT_EQ(record["status"], "done");
  EXPECT_EQ(record["study"]["seed"], 7);
  EXPECT_EQ(record["outputs"]["table"]["file"], "runs.csv");
  EXPECT_EQ(record["outputs"]["summary"]["lines"], 5);
}

TEST(BatchStudy, ThreadsAndRepeatsGiveTheSameBytes) {
  const std::vector<std::vector<std::string>> kStudies = {
      {"--sweep", "u=1e-5,1e-3", "--sweep", "K=0.8:1.2:0.1", "--maxgen", "60"},
      {"--sweep", "demes=1,3", "--sweep", "exact_sampling=0,1", "--population", "finite",
       "--replicates", "3", "--log10n", "2", "--maxgen", "30", "--seed", "11"},
  };
  for (const std::vector<std::string>& study : kStudies) {
    TempDirectory work;
    std::string first;
    for (const char* threads : {"1", "2"}) {
      const fs::path dir = work / (std::string("t") + threads);
      fs::create_directory(dir);
      std::vector<std::string> arguments = study;
      arguments.insert(arguments.end(),
                       {"--threads", threads, "--table", "runs.csv", "--summary", "points.csv"});
      const ProgramOutcome outcome = RunBatchIn(dir, arguments);
      ASSERT_EQ(outcome.status, 0) << outcome.err;
      const std::string bytes = ReadFileBytes(dir / "runs.csv") + ReadFileBytes(dir / "points.csv");
      if (first.empty()) first = bytes;
      EXPECT_EQ(bytes, first) << "threads " << threads;
    }
    fs::create_directory(work / "again");
    const ProgramOutcome repeat =
        RunBatchIn(work.path(), {"--repeat", "t1/recmod-run.json", "--dir", "again"});
    ASSERT_EQ(repeat.status, 0) << repeat.err;
    EXPECT_EQ(
        ReadFileBytes(work / "again" / "runs.csv") + ReadFileBytes(work / "again" / "points.csv"),
        first);
    EXPECT_EQ(RunBatchIn(work.path(), {"--verify", "t2/recmod-run.json"}).status, 0);
  }
}

TEST(BatchStudy, ARepeatWhoseTableDiffersFromTheRecordExits4) {
  TempDirectory work;
  fs::create_directory(work / "a");
  fs::create_directory(work / "b");
  ASSERT_EQ(
      RunBatchIn(work / "a", {"--sweep", "S=0.05,0.1", "--maxgen", "20", "--table", "runs.csv"})
          .status,
      0);
  std::ifstream in(work / "a" / "recmod-run.json");
  nlohmann::json record = nlohmann::json::parse(in);
  record["outputs"]["table"]["sha256"] = std::string(64, '0');
  std::ofstream(work / "a" / "recmod-run.json") << record.dump(2);
  const ProgramOutcome repeat =
      RunBatchIn(work.path(), {"--repeat", "a/recmod-run.json", "--dir", "b"});
  EXPECT_EQ(repeat.status, 4) << repeat.err;
  EXPECT_NE(repeat.err.find("runs.csv differs from the recorded one"), std::string::npos);
  EXPECT_EQ(RunBatchIn(work.path(), {"--repeat", "a/recmod-run.json", "--dir", "a"}).status, 2);
  EXPECT_EQ(RunBatchIn(work.path(), {"--repeat", "a/recmod-run.json"}).status, 2);
}

// The window's field stops u at 1e-4; a study goes to its domain's end and
// says so once.
TEST(BatchStudy, AnAxisBeyondTheWindowsRangeRunsAndIsNotedOnce) {
  TempDirectory work;
  const ProgramOutcome outcome = RunBatchIn(
      work.path(), {"--sweep", "u=1e-4:1e-2:log:5", "--maxgen", "30", "--table", "runs.csv"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Count(outcome.err, "outside the window's range"), 1U) << outcome.err;
  const Rows runs = ReadCsv(work / "runs.csv");
  ASSERT_EQ(runs.size(), 6U);
  EXPECT_EQ(runs[5][1], "0.01");
  EXPECT_EQ(runs[3][1], "0.001");
}

}  // namespace

namespace {

TEST(BatchStudy, DrawsOneOrTwoAxesAndRefusesMoreBeforeRunning) {
  if (!RECMOD_TEST_PICTURES) GTEST_SKIP() << "a build without pictures";
  TempDirectory work;
  for (const std::vector<std::string>& axes :
       {std::vector<std::string>{"--sweep", "u=1e-5:1e-2:log:4"},
        std::vector<std::string>{"--sweep", "u=1e-5:1e-2:log:4", "--sweep", "K=0.9,1.1"}}) {
    std::vector<std::string> arguments = axes;
    arguments.insert(arguments.end(), {"--maxgen", "20", "--plot", "study.png"});
    const ProgramOutcome outcome = RunBatchIn(work.path(), arguments);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFileBytes(work / "study.png").substr(1, 3), "PNG");
    fs::remove(work / "study.png");
  }
  fs::remove(work / "recmod-run.json");
  const ProgramOutcome three = RunBatchIn(
      work.path(), {"--sweep", "u=0.1", "--sweep", "K=1", "--sweep", "S=0.1", "--plot", "s.png"});
  EXPECT_EQ(three.status, 2);
  EXPECT_NE(three.err.find("shows one or two axes"), std::string::npos) << three.err;
  EXPECT_EQ(EntriesIn(work.path()), 0U);
}

}  // namespace

namespace {

// The final R+ column of a CSV table, in row order.
std::vector<std::string> RPlusColumn(const fs::path& path, const std::string& name) {
  const Rows rows = ReadCsv(path);
  std::vector<std::string> column;
  const std::size_t at = Column(rows, name);
  for (std::size_t row = 1; row < rows.size(); ++row) column.push_back(rows[row].at(at));
  return column;
}

// The distinct values of a column, in the order they first appear, as a list
// for --sweep.
std::string ValueList(const fs::path& path, const std::string& name) {
  const Rows rows = ReadCsv(path);
  const std::size_t at = Column(rows, name);
  std::vector<std::string> seen;
  for (std::size_t row = 1; row < rows.size(); ++row) {
    if (std::find(seen.begin(), seen.end(), rows[row][at]) == seen.end()) {
      seen.push_back(rows[row][at]);
    }
  }
  std::string list;
  for (const std::string& value : seen) list += (list.empty() ? "" : ",") + value;
  return list;
}

// The window's two loops asked as studies over the values they visit give
// their numbers, run for run. (The loop over S and K adds its step, so its
// values are the sums, 0.13999999999999999 rather than FROM:TO:STEP's 0.14.)
TEST(BatchStudy, TheWindowsLoopsAsStudiesGiveTheLoopsNumbers) {
  TempDirectory work;
  fs::create_directory(work / "loop");
  fs::create_directory(work / "study");
  const fs::path loopTable = work / "loop" / "t.csv";
  const fs::path studyTable = work / "study" / "t.csv";

  ASSERT_EQ(
      RunBatchIn(work / "loop", {"--mode", "loop-sk", "--s-range", "0.01:0.2:0.01", "--k-range",
                                 "0.8:1.2:0.05", "--maxgen", "30", "--table", "t.csv"})
          .status,
      0);
  ProgramOutcome studied = RunBatchIn(
      work / "study", {"--sweep", "S=" + ValueList(loopTable, "S"), "--sweep",
                       "K=" + ValueList(loopTable, "K"), "--maxgen", "30", "--table", "t.csv"});
  ASSERT_EQ(studied.status, 0) << studied.err;
  EXPECT_EQ(RPlusColumn(studyTable, "rplus"), RPlusColumn(loopTable, "final_rplus"));
  EXPECT_EQ(RPlusColumn(studyTable, "rplus").size(), 20U * 9U);

  ASSERT_EQ(RunBatchIn(work / "loop",
                       {"--mode", "loop-log10n", "--log10n-from", "1", "--log10n-to", "2.5",
                        "--iterations", "6", "--seed", "7", "--maxgen", "30", "--table", "t.csv"})
                .status,
            0);
  studied = RunBatchIn(
      work / "study", {"--sweep", "log10n=1:2.5:0.5", "--population", "finite", "--replicates", "6",
                       "--seed", "7", "--maxgen", "30", "--table", "t.csv"});
  ASSERT_EQ(studied.status, 0) << studied.err;
  EXPECT_EQ(RPlusColumn(studyTable, "rplus"), RPlusColumn(loopTable, "final_rplus"));
  EXPECT_EQ(RPlusColumn(studyTable, "rplus").size(), 4U * 6U);
}

}  // namespace
