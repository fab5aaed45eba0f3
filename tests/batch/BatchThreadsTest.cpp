// recmod-batch spreading its loops over threads: the same report files for
// any --threads, a drawn seed that repeats the start, and custom sweeps of S
// and K.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "recmod-threads-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int status = -1;
  std::string err;
  std::string report2;
  std::string report3;
};

// Runs the program in a fresh directory and collects its exit status, its
// stderr and the report files of the loops.
Outcome RunProgram(std::vector<std::string> arguments) {
  Scratch dir;
  const fs::path errPath = dir.path() / ".stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    ::dup2(::open("/dev/null", O_WRONLY), 1);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::string program = RECMOD_BATCH_PATH;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.err = ReadAll(errPath);
  outcome.report2 = ReadAll(dir.path() / "ReportFile2.txt");
  outcome.report3 = ReadAll(dir.path() / "ReportFile3.txt");
  return outcome;
}

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(BatchThreads, ReportFilesDoNotDependOnTheNumberOfThreads) {
  const std::vector<std::vector<std::string>> starts = {
      {"--mode", "2", "--maxgen", "10"},
      {"--mode", "2", "--loci", "3", "--c", "0.5", "--demes", "2", "--tick", "InversionOfS",
       "--inversion-period", "10", "--maxgen", "15", "--s-range", "0.1:0.2:0.05"},
      {"--mode", "3", "--log10n-to", "2.5", "--iterations", "5", "--maxgen", "40", "--a", "0.5",
       "--seed", "99"},
      {"--mode", "3", "--log10n-to", "2", "--iterations", "4", "--maxgen", "30", "--tick",
       "InversionOfS", "--inversion-period", "10", "--S", "0.4", "--seed", "3"},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start[1] + " " + start.back());
    const Outcome one = RunProgram(With(start, {"--threads", "1", "--quiet"}));
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_FALSE(one.report2.empty());
    for (const char* threads : {"2", "3"}) {
      const Outcome many = RunProgram(With(start, {"--threads", threads, "--quiet"}));
      EXPECT_EQ(many.status, 0) << many.err;
      EXPECT_EQ(many.report2, one.report2) << threads << " threads";
      EXPECT_EQ(many.report3, one.report3) << threads << " threads";
    }
    // The default, all cores, too.
    EXPECT_EQ(RunProgram(With(start, {"--quiet"})).report2, one.report2);
  }
}

TEST(BatchThreads, AnErrorInTheMiddleOfAParallelLoopLeavesTheLinesOfOneThread) {
  // N = 10 and a sinusoidal S that nearly kills the only haplotype, AB: the
  // tenth run loses every individual.
  const std::vector<std::string> emptying = {"--mode",
                                             "3",
                                             "--log10n-to",
                                             "2",
                                             "--iterations",
                                             "10",
                                             "--maxgen",
                                             "40",
                                             "--a",
                                             "0",
                                             "--b",
                                             "0",
                                             "--S",
                                             "0.33",
                                             "--K",
                                             "1.4",
                                             "--tick",
                                             "InversionOfS",
                                             "--tick",
                                             "SinusoidalOption",
                                             "--inversion-period",
                                             "10",
                                             "--seed",
                                             "2"};
  const Outcome one = RunProgram(With(emptying, {"--threads", "1"}));
  ASSERT_EQ(one.status, 3) << one.err;
  EXPECT_NE(one.err.find("Empty deme"), std::string::npos) << one.err;
  EXPECT_EQ(std::count(one.report2.begin(), one.report2.end(), '\n'), 10);
  for (const char* threads : {"2", "3"}) {
    const Outcome many = RunProgram(With(emptying, {"--threads", threads}));
    EXPECT_EQ(many.status, 3);
    EXPECT_EQ(many.err, one.err);
    EXPECT_EQ(many.report2, one.report2);
    EXPECT_EQ(many.report3, one.report3);
  }
}

TEST(BatchThreads, ADrawnSeedIsShownAndRepeatsTheStart) {
  const std::vector<std::string> loop = {"--mode",       "3", "--log10n-to", "2",
                                         "--iterations", "6", "--maxgen",    "30"};
  const Outcome first = RunProgram(loop);
  ASSERT_EQ(first.status, 0) << first.err;
  std::smatch match;
  ASSERT_TRUE(std::regex_search(first.err, match, std::regex("(^|\n)seed: ([0-9]+)\n")))
      << first.err;
  const std::string seed = match[2];
  const Outcome again = RunProgram(With(loop, {"--seed", seed, "--threads", "1"}));
  EXPECT_EQ(again.report2, first.report2);
  EXPECT_EQ(again.report3, first.report3);
  EXPECT_EQ(again.err.find("seed:"), std::string::npos) << "a given seed is not shown";

  // Another start draws another seed; --quiet draws one without showing it.
  const Outcome second = RunProgram(loop);
  EXPECT_NE(second.report2, first.report2);
  const Outcome quiet = RunProgram(With(loop, {"--quiet"}));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  // Single runs start from the generator's fixed state: nothing to show.
  EXPECT_EQ(RunProgram({"--mode", "1", "--maxgen", "10"}).err.find("seed:"), std::string::npos);
}

TEST(BatchThreads, CustomSweepsOfSAndK) {
  // The default ranges written out give the files of the window's loop.
  const Outcome window = RunProgram({"--mode", "2", "--maxgen", "10", "--quiet"});
  const Outcome defaults = RunProgram({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range",
                                       "0.01:0.2:0.01", "--k-range", "0.8:1.2:0.01"});
  EXPECT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_EQ(defaults.report2, window.report2);

  // Two values of S, three of K: blocks of a header, three runs and a blank.
  const Outcome coarse = RunProgram({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range",
                                     "0.05:0.1:0.05", "--k-range", "1:1.2:0.1"});
  ASSERT_EQ(coarse.status, 0) << coarse.err;
  std::vector<std::string> lines;
  std::istringstream text(coarse.report2);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 10U);
  EXPECT_EQ(lines[0], "K\tu= 1E-05 s= .05\r");
  EXPECT_EQ(lines[5], "K\tu= 1E-05 s= .1\r");
  for (const std::size_t block : {0U, 5U}) {
    EXPECT_EQ(lines[block + 1].substr(0, 3), " 1\t");
    EXPECT_EQ(lines[block + 2].substr(0, 5), " 1.1\t");
    EXPECT_EQ(lines[block + 3].substr(0, 5), " 1.2\t");
    EXPECT_EQ(lines[block + 4], " \r");
  }
}

TEST(BatchThreads, BadThreadsAndRangesAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"--threads", "0"},
      {"--threads", "-2"},
      {"--threads", "two"},
      {"--threads", "1.5"},
      {"--mode", "2", "--s-range", "0.1:0.2"},
      {"--mode", "2", "--s-range", "0.1:0.2:0.01:5"},
      {"--mode", "2", "--s-range", "a:0.2:0.01"},
      {"--mode", "2", "--s-range", "0.1:0.2:"},
      {"--mode", "2", "--s-range", "0.1:0.2:0"},
      {"--mode", "2", "--s-range", "0.1:0.2:-0.01"},
      {"--mode", "2", "--s-range", "0.3:0.2:0.01"},
      {"--mode", "2", "--s-range", "0:1:0.000001"},
      {"--mode", "2", "--s-range", "0.1:0.2:1e-300"},
      {"--mode", "2", "--s-range", "0.1:inf:0.1"},
      {"--mode", "2", "--s-range", "-1:0:0.1"},
      {"--mode", "2", "--s-range", "0:1.5:0.1"},
      {"--mode", "2", "--k-range", "0.5:1:0.1"},
      {"--mode", "2", "--k-range", "1:1.5:0.1"},
      {"--mode", "3", "--s-range", "0.1:0.2:0.01"},
      {"--k-range", "0.8:1.2:0.1"},
  };
  for (const auto& arguments : bad) {
    const Outcome outcome = RunProgram(arguments);
    EXPECT_EQ(outcome.status, 2) << arguments.back() << ": " << outcome.err;
    EXPECT_NE(outcome.err, "") << arguments.back();
    EXPECT_EQ(outcome.report2, "") << "nothing was run";
  }
  // The extremes the fields admit are fine.
  const Outcome edges = RunProgram({"--mode", "2", "--maxgen", "10", "--quiet", "--s-range",
                                    "-0.99:1:1.99", "--k-range", "0.6:1.4:0.8"});
  EXPECT_EQ(edges.status, 0) << edges.err;
}

}  // namespace
