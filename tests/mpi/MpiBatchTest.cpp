// recmod-batch under mpirun, as a user on a cluster starts it: the report
// files of one process whatever the number of ranks and threads, one seed for
// all ranks, messages said once, and a rank that fails or is killed ends the
// job with the lines written before, complete and in order.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/FailingSweep.hpp"

#include "MpiRun.hpp"

namespace recmod::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Every line of `text` ends in CR LF: nothing was cut in the middle of one.
bool OnlyCompleteLines(const std::string& text) {
  return text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
}

TEST(MpiBatch, SweepsGiveTheFilesOfOneProcess) {
  const std::vector<std::vector<std::string>> starts = {
      {"--mode", "2", "--maxgen", "10"},
      {"--mode", "2", "--loci", "3", "--c", "0.5", "--demes", "2", "--tick", "InversionOfS",
       "--inversion-period", "10", "--maxgen", "15", "--s-range", "0.1:0.2:0.05"},
      {"--mode", "3", "--log10n-to", "2.5", "--iterations", "8", "--maxgen", "40", "--a", "0.5",
       "--seed", "99"},
      {"--mode", "3", "--log10n-to", "2", "--iterations", "5", "--maxgen", "30", "--tick",
       "InversionOfS", "--inversion-period", "10", "--S", "0.4", "--seed", "3"},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start[1] + " " + start.back());
    const ProgramOutcome one = RunBatchProcess(With(start, {"--threads", "1", "--quiet"}));
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_FALSE(one.report2.empty());
    for (const auto& [ranks, threads] : {std::pair{2, "1"}, std::pair{3, "2"}}) {
      const ProgramOutcome many = RunBatchRanks(ranks, With(start, {"--threads", threads}));
      EXPECT_EQ(many.status, 0) << many.err;
      EXPECT_EQ(many.report2, one.report2) << ranks << " ranks";
      EXPECT_EQ(many.report3, one.report3) << ranks << " ranks";
      // Rank 0 alone tells where the files went.
      EXPECT_EQ(Count(many.out, "written to"), 1) << many.out;
    }
  }
}

TEST(MpiBatch, RanksShareTheSeedThatRankZeroDraws) {
  const std::vector<std::string> loop = {"--mode",       "3", "--log10n-to", "2",
                                         "--iterations", "6", "--maxgen",    "30"};
  const ProgramOutcome drawn = RunBatchRanks(3, loop);
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  std::smatch match;
  ASSERT_TRUE(std::regex_search(drawn.err, match, std::regex("(^|\n)seed: ([0-9]+)\n")))
      << drawn.err;
  EXPECT_EQ(Count(drawn.err, "seed:"), 1) << "said once, by rank 0";
  // Were the ranks' seeds different, their runs would not repeat in one process.
  const ProgramOutcome again = RunBatchProcess(With(loop, {"--seed", match[2], "--threads", "1"}));
  EXPECT_EQ(again.report2, drawn.report2);
  EXPECT_EQ(again.report3, drawn.report3);
}

// A study's runs spread over the ranks give the tables of one process with
// the seed rank 0 drew, for a finite and an infinite population.
TEST(MpiBatch, StudiesGiveTheTablesOfOneProcess) {
  const std::vector<std::vector<std::string>> studies = {
      {"--sweep", "log10n=1,2", "--sweep", "R=0.2,0.5", "--population", "finite", "--replicates",
       "9", "--S", "0", "--maxgen", "40"},
      {"--sweep", "u=1e-5,1e-3", "--sweep", "demes=1,2", "--maxgen", "30"},
  };
  const std::vector<std::string> outputs = {"--table", "runs.csv", "--summary", "points.csv"};
  for (const auto& study : studies) {
    const TempDirectory many;
    const ProgramOutcome spread = CollectFrom(
        many.path(),
        LaunchIn(many.path(), MpirunCommand(2, With(With(study, outputs), {"--threads", "1"})),
                 /*forMpi=*/true));
    ASSERT_EQ(spread.status, 0) << spread.err;
    std::vector<std::string> again = With(study, outputs);
    std::smatch match;
    if (std::regex_search(spread.err, match, std::regex("(^|\n)seed: ([0-9]+)\n"))) {
      EXPECT_EQ(Count(spread.err, "seed:"), 1) << "said once, by rank 0";
      again = With(again, {"--seed", match[2]});
    }
    const TempDirectory one;
    ASSERT_EQ(RunBatchIn(one.path(), With(again, {"--threads", "1"})).status, 0);
    for (const char* file : {"runs.csv", "points.csv"}) {
      EXPECT_EQ(ReadFileBytes(many / file), ReadFileBytes(one / file)) << file;
    }
  }
}

TEST(MpiBatch, SingleRunsAndMessagesComeFromRankZeroAlone) {
  const std::vector<std::string> single = {"--mode", "1", "--maxgen", "60",
                                           "--seed", "5", "--log10n", "3"};
  const ProgramOutcome one = RunBatchProcess(single);
  ASSERT_EQ(one.status, 0) << one.err;
  const ProgramOutcome ranks = RunBatchRanks(2, single);
  EXPECT_EQ(ranks.status, 0) << ranks.err;
  EXPECT_EQ(ranks.report1, one.report1);
  EXPECT_EQ(Count(ranks.out, "ReportFile1.txt written to"), 1) << ranks.out;

  // A usage error, a refusal and a notice are said once, not once per rank.
  const ProgramOutcome usage = RunBatchRanks(2, {"--mode", "7"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(Count(usage.err, "--mode: \"7\""), 1) << usage.err;
  const ProgramOutcome refused = RunBatchRanks(2, {"--mode", "3", "--iterations", " "});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(Count(refused.err, "One or more value are needed!"), 1) << refused.err;
  EXPECT_EQ(refused.report2, "");
}

// Counts the times a file named `name` appears in a directory: created there,
// or put in place by a rename or a link (pictures are written elsewhere first).
class WriteCounter {
 public:
  WriteCounter(const fs::path& directory, std::string name)
      : fd_(::inotify_init1(IN_NONBLOCK)), name_(std::move(name)) {
    ::inotify_add_watch(fd_, directory.c_str(), IN_CREATE | IN_MOVED_TO);
  }
  ~WriteCounter() { ::close(fd_); }
  int Count() {
    alignas(inotify_event) char buffer[8192];
    for (;;) {
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got <= 0) return count_;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && name_ == event->name) ++count_;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

 private:
  int fd_;
  std::string name_;
  int count_ = 0;
};

TEST(MpiBatch, RankZeroAloneDrawsThePictureOfTheSweep) {
  const std::vector<std::string> sweep = {"--mode", "2",         "--maxgen",
                                          "10",     "--s-range", "0.1:0.2:0.05",
                                          "--plot", "sweep.svg", "--quiet"};
  TempDirectory alone;
  std::vector<std::string> command{RECMOD_BATCH_PATH};
  command.insert(command.end(), sweep.begin(), sweep.end());
  WriteCounter writesAlone(alone.path(), "sweep.svg");
  const ProgramOutcome one = CollectFrom(alone.path(), LaunchIn(alone.path(), command, false));
  if (one.status != 0 && one.err.find("unavailable") != std::string::npos) {
    GTEST_SKIP() << "a build without pictures";
  }
  ASSERT_EQ(one.status, 0) << one.err;
  // A picture written by another rank as well, from the results it never
  // gathers, would not be the picture of one process.
  TempDirectory spread;
  WriteCounter writesSpread(spread.path(), "sweep.svg");
  const ProgramOutcome ranks =
      CollectFrom(spread.path(), LaunchIn(spread.path(), MpirunCommand(2, sweep), true));
  EXPECT_EQ(ranks.status, 0) << ranks.err;
  EXPECT_GT(writesAlone.Count(), 0);
  EXPECT_EQ(writesSpread.Count(), writesAlone.Count()) << "written by one rank only";
  EXPECT_EQ(ranks.report2, one.report2);
  EXPECT_EQ(ReadFileBytes(spread.path() / "sweep.svg"), ReadFileBytes(alone.path() / "sweep.svg"));

  // Drawing report files already written runs nothing on any rank.
  WriteCounter redraws(spread.path(), "again.svg");
  const ProgramOutcome redrawn = CollectFrom(
      spread.path(),
      LaunchIn(spread.path(), MpirunCommand(2, {"--replot", ".", "--plot", "again.svg"}), true));
  EXPECT_EQ(redrawn.status, 0) << redrawn.err;
  EXPECT_EQ(ReadFileBytes(spread.path() / "again.svg"), ReadFileBytes(alone.path() / "sweep.svg"));
  EXPECT_EQ(redraws.Count(), writesAlone.Count());
}

// A population that loses its last haplotype to drift in some runs only.
const std::vector<std::string> kFailingSweep = With(testing::kDriftEmptiesSomeRuns, {"--quiet"});

TEST(MpiBatch, AFailingRunEndsTheJobWithTheLinesOfOneProcess) {
  const ProgramOutcome one = RunBatchProcess(With(kFailingSweep, {"--threads", "1"}));
  ASSERT_EQ(one.status, 3) << one.err;
  ASSERT_NE(one.report2.find("N = 2.5"), std::string::npos) << "the failure is mid-sweep";
  for (const auto& [ranks, threads] : {std::pair{2, "1"}, std::pair{3, "2"}}) {
    const ProgramOutcome many = RunBatchRanks(ranks, With(kFailingSweep, {"--threads", threads}));
    EXPECT_EQ(many.status, 3) << many.err;
    EXPECT_TRUE(std::regex_search(many.err, std::regex("recmod-batch: run-time error: Empty deme: "
                                                       "[^\n]* \\(generation 1[0-9]\\) \\(rank "
                                                       "[0-9]\\)\n")))
        << many.err;
    EXPECT_EQ(many.report2, one.report2) << ranks << " ranks";
    EXPECT_EQ(many.report3, one.report3) << ranks << " ranks";
  }
}

// The process of rank `rank` that mpirun `launcher` started, or 0.
pid_t FindRank(pid_t launcher, int rank) {
  const std::string wanted = "OMPI_COMM_WORLD_RANK=" + std::to_string(rank);
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string pid;
    std::string command;
    std::string state;
    pid_t parent = 0;
    stat >> pid >> command >> state >> parent;
    if (parent != launcher) continue;
    const std::string environment = ReadFileBytes(entry.path() / "environ");
    std::size_t at = 0;
    for (std::size_t end; (end = environment.find('\0', at)) != std::string::npos; at = end + 1) {
      if (environment.compare(at, end - at, wanted) == 0) return std::stoi(name);
    }
  }
  return 0;
}

TEST(MpiBatch, AKilledRankEndsTheJobAndLeavesCompleteLines) {
  // Long enough (a few seconds) that the other rank is killed mid-sweep.
  const std::vector<std::string> sweep = {
      "--mode", "3",   "--log10n-to", "3",  "--iterations", "200",       "--maxgen", "400",
      "--a",    "0.5", "--seed",      "11", "--quiet",      "--threads", "1"};
  TempDirectory dir;
  // mpirun's usual second between SIGTERM and SIGKILL for rank 0.
  const pid_t launcher = LaunchIn(dir.path(), MpirunCommand(2, sweep), true, 1);
  pid_t victim = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code ec;
    if (victim == 0) victim = FindRank(launcher, 1);
    if (victim != 0 && fs::file_size(dir.path() / "ReportFile2.txt", ec) > 200 && !ec) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_NE(victim, 0) << "rank 1 was not found";
  ::kill(victim, SIGKILL);
  const ProgramOutcome killed = CollectFrom(dir.path(), launcher);
  EXPECT_NE(killed.status, 0);
  EXPECT_NE(killed.err.find("rank 1"), std::string::npos) << killed.err;

  const ProgramOutcome one = RunBatchProcess(sweep);
  ASSERT_EQ(one.status, 0) << one.err;
  ASSERT_GT(one.report2.size(), killed.report2.size()) << "killed before the end";
  EXPECT_TRUE(OnlyCompleteLines(killed.report2));
  EXPECT_TRUE(OnlyCompleteLines(killed.report3));
  EXPECT_EQ(one.report2.compare(0, killed.report2.size(), killed.report2), 0)
      << "the lines before, in order";
  EXPECT_EQ(one.report3.compare(0, killed.report3.size(), killed.report3), 0);
}

TEST(MpiBatch, TheExecutorKeepsLoopOrderAcrossRanks) {
  TempDirectory dir;
  std::vector<std::string> command = MpirunCommand(3, {});
  command.back() = RECMOD_MPI_LOOP_CHECK_PATH;  // in the place of recmod-batch
  const ProgramOutcome check = CollectFrom(dir.path(), LaunchIn(dir.path(), command, true));
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("all checks held on 3 ranks"), std::string::npos) << check.out;
}

}  // namespace
}  // namespace recmod::testing
