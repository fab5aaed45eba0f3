// recmod-batch under faults, as a user meets them: a signal during a long
// start, a device that fills up, a read-only or vanishing save directory, a
// file in the way. Each ends with a clear message and exit status, and the
// report files hold only complete lines.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/ScratchMount.hpp"
#include "support/TempDirectory.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using recmod::testing::ReadFileBytes;
using recmod::testing::TempDirectory;

// One run of the program: started in `workDirectory`, its stdout and stderr
// kept in a scratch directory of their own (the save directory may vanish).
class BatchProcess {
 public:
  // `inChild` runs in the new process just before the program starts, to
  // change its streams or limits.
  BatchProcess(const fs::path& workDirectory, std::vector<std::string> arguments,
               const std::function<void()>& inChild = {}) {
    out_ = streams_.path() / "stdout";
    err_ = streams_.path() / "stderr";
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(workDirectory.c_str()) != 0) ::_exit(126);
      ::dup2(::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      ::dup2(::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      if (inChild) inChild();
      std::string program = RECMOD_BATCH_PATH;
      std::vector<char*> argv{program.data()};
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~BatchProcess() {
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  void Signal(int number) { ::kill(pid_, number); }

  // Waits up to `limit` for the program to end; its exit status, or -1 when
  // it was killed by a signal or did not end in time (then it is killed).
  int Wait(std::chrono::seconds limit = 60s) {
    const int status = WaitStatus(limit);
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The raw wait status, or -1 when the program did not end in time.
  int WaitStatus(std::chrono::seconds limit = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "recmod-batch did not end in time";
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        finished_ = true;
        return -1;
      }
      std::this_thread::sleep_for(5ms);
    }
    finished_ = true;
    return status;
  }

  std::string out() const { return ReadFileBytes(out_); }
  std::string err() const { return ReadFileBytes(err_); }

 private:
  TempDirectory streams_;
  fs::path out_;
  fs::path err_;
  pid_t pid_ = -1;
  bool finished_ = false;
};

// Waits until `path` exists and holds at least `bytes` bytes.
bool WaitForFile(const fs::path& path, std::uintmax_t bytes = 0, std::chrono::seconds limit = 30s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::error_code ec;
  while (std::chrono::steady_clock::now() < deadline) {
    if (fs::exists(path, ec) && fs::file_size(path, ec) >= bytes && !ec) return true;
    std::this_thread::sleep_for(2ms);
  }
  return false;
}

// The lines of a report file; fails the test on a partial last line.
std::vector<std::string> CompleteLines(const fs::path& path) {
  const std::string text = ReadFileBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a partial last line in " << path << ": \"" << text.substr(start) << "\"";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void ExpectGenerationLines(const std::vector<std::string>& lines, int fields) {
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), fields) << "line " << i;
    ASSERT_EQ(lines[i].back(), '\t') << "line " << i;
  }
}

// Results of the loop over Log10(N): "N =" headers, results, blank lines.
void ExpectLog10NBlocks(const std::vector<std::string>& lines) {
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "N = 1");
  for (const std::string& line : lines) {
    if (line.rfind("N =", 0) == 0 || line == " ") continue;
    const double value = std::stod(line);
    EXPECT_TRUE(value >= 0.0 && value <= 1.0) << line;
  }
}

constexpr const char* kStopNotice = "stopped after a generation; the report files keep";

const char* SignalText(int number) {
  switch (number) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    case SIGQUIT:
      return "SIGQUIT";
    default:
      return "SIGXFSZ";
  }
}

TEST(BatchFaults, StopSignalsEndALongStartAndCloseTheFilesWithCompleteLines) {
  struct Case {
    int signal;
    int status;
    std::vector<std::string> arguments;
    const char* file;  // the file whose first bytes show the runs are going
  };
  const std::vector<Case> cases = {
      {SIGINT,
       130,
       {"--mode", "3", "--iterations", "10000", "--maxgen", "2000", "--seed", "1"},
       "ReportFile2.txt"},
      {SIGTERM,
       143,
       {"--mode", "3", "--iterations", "10000", "--maxgen", "2000", "--seed", "2"},
       "ReportFile2.txt"},
      {SIGTERM,
       143,
       {"--mode", "2", "--loci", "3", "--demes", "10", "--maxgen", "10000"},
       "ReportFile2.txt"},
      {SIGINT,
       130,
       {"--mode", "1", "--demes", "100", "--maxgen", "10000", "--seed", "3"},
       "ReportFile1.txt"},
      {SIGHUP,
       129,
       {"--mode", "3", "--iterations", "10000", "--maxgen", "2000", "--seed", "5"},
       "ReportFile2.txt"},
      {SIGQUIT,
       131,
       {"--mode", "2", "--loci", "3", "--demes", "10", "--maxgen", "10000"},
       "ReportFile2.txt"},
      {SIGXFSZ,
       153,
       {"--mode", "1", "--demes", "100", "--maxgen", "10000", "--seed", "6"},
       "ReportFile1.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[1] + " " + SignalText(c.signal));
    TempDirectory directory;
    BatchProcess batch(directory.path(), c.arguments);
    ASSERT_TRUE(WaitForFile(directory.path() / c.file));
    std::this_thread::sleep_for(300ms);  // some runs or generations done
    batch.Signal(c.signal);
    EXPECT_EQ(batch.Wait(), c.status) << batch.err();
    const std::string name = SignalText(c.signal);
    EXPECT_NE(batch.err().find(name + ": " + kStopNotice), std::string::npos) << batch.err();
    EXPECT_EQ(batch.out().find("written to"), std::string::npos) << batch.out();

    const std::string mode = c.arguments[1];
    if (mode == "3") {
      ExpectLog10NBlocks(CompleteLines(directory.path() / "ReportFile2.txt"));
      const std::vector<std::string> statistics =
          CompleteLines(directory.path() / "ReportFile3.txt");
      ASSERT_FALSE(statistics.empty());
      EXPECT_EQ(statistics[0], "N\tMean\tS.D.");
    } else if (mode == "2") {
      const std::vector<std::string> lines = CompleteLines(directory.path() / "ReportFile2.txt");
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines[0], "K\tu= 1E-05 s= .01");
      EXPECT_LT(lines.size(), 860U);
    } else {
      const std::vector<std::string> lines = CompleteLines(directory.path() / "ReportFile1.txt");
      ASSERT_GT(lines.size(), 1U);
      EXPECT_LT(lines.size(), 10001U) << "the run was not stopped";
      ExpectGenerationLines(lines, 8);
    }
  }
}

TEST(BatchFaults, AFullDeviceIsARunTimeErrorAndKeepsTheLinesThatFit) {
  recmod::testing::ScratchMount device(32 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs to fill: " << device.failure();
  TempDirectory work;
  BatchProcess batch(work.path(), {"--maxgen", "10000", "--dir", device.path().string()});
  EXPECT_EQ(batch.Wait(), 3);
  const std::string path = (device.path() / "ReportFile1.txt").string();
  EXPECT_NE(batch.err().find("run-time error: File error: " + path +
                             ": cannot write: No space left on device"),
            std::string::npos)
      << batch.err();
  EXPECT_EQ(batch.out(), "");
  const std::vector<std::string> lines = CompleteLines(path);
  ASSERT_GT(lines.size(), 100U);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  ExpectGenerationLines(lines, 8);
}

TEST(BatchFaults, AReadOnlySaveDirectoryAndAnUndeletableFileAreNamed) {
  recmod::testing::ScratchMount device(64 * 1024);
  if (!device.mounted()) GTEST_SKIP() << "no tmpfs: " << device.failure();
  { std::ofstream(device.path() / "ReportFile2.txt") << "K\tfrom an earlier start\r\n"; }
  ASSERT_TRUE(device.Remount(true));
  TempDirectory work;

  BatchProcess single(work.path(), {"--maxgen", "10", "--dir", device.path().string()});
  EXPECT_EQ(single.Wait(), 3);
  EXPECT_NE(single.err().find((device.path() / "ReportFile1.txt").string() +
                              ": cannot create: Read-only file system"),
            std::string::npos)
      << single.err();

  BatchProcess loop(work.path(),
                    {"--mode", "2", "--maxgen", "10", "--dir", device.path().string()});
  EXPECT_EQ(loop.Wait(), 3);
  EXPECT_NE(loop.err().find((device.path() / "ReportFile2.txt").string() + ": cannot delete"),
            std::string::npos)
      << loop.err();
  EXPECT_EQ(ReadFileBytes(device.path() / "ReportFile2.txt"), "K\tfrom an earlier start\r\n");
  device.Remount(false);
}

TEST(BatchFaults, ASaveDirectoryRemovedDuringAStartIsARunTimeError) {
  TempDirectory work;
  const fs::path directory = work.path() / "out";
  fs::create_directory(directory);
  BatchProcess batch(work.path(), {"--mode", "1", "--demes", "20", "--maxgen", "10000", "--seed",
                                   "4", "--dir", directory.string()});
  ASSERT_TRUE(WaitForFile(directory / "ReportFile1.txt"));
  fs::remove_all(directory);
  EXPECT_EQ(batch.Wait(), 3);
  EXPECT_NE(batch.err().find((directory / "ReportFile1.txt").string() +
                             ": the file was deleted during the start"),
            std::string::npos)
      << batch.err();
  EXPECT_EQ(batch.out(), "") << "no claim that the file was written";
}

// The files then sit in the moved directory, not where the start says they
// are: no success, and the records at the old name and beside the files say
// why.
TEST(BatchFaults, ASaveDirectoryMovedDuringAStartIsARunTimeError) {
  TempDirectory work;
  const fs::path directory = work.path() / "out";
  fs::create_directory(directory);
  BatchProcess batch(work.path(), {"--mode", "1", "--demes", "20", "--maxgen", "10000", "--seed",
                                   "4", "--dir", directory.string()});
  ASSERT_TRUE(WaitForFile(directory / "ReportFile1.txt"));
  fs::rename(directory, work.path() / "moved");
  fs::create_directory(directory);
  EXPECT_EQ(batch.Wait(), 3);
  EXPECT_NE(batch.err().find("the save directory was moved or deleted during the start"),
            std::string::npos)
      << batch.err();
  // Both records say so: the one at the name and the one beside the files.
  for (const fs::path& where : {directory, work.path() / "moved"}) {
    const std::string record = ReadFileBytes(where / "recmod-run.json");
    EXPECT_NE(record.find("\"status\": \"error\""), std::string::npos) << record;
  }
  const std::string moved = ReadFileBytes(work.path() / "moved" / "recmod-run.json");
  EXPECT_NE(moved.find("\"name\": \"ReportFile1.txt\""), std::string::npos) << moved;
  EXPECT_EQ(batch.out(), "") << "no claim that the file was written";
}

// A long loop whose batches of runs side by side take a noticeable time each:
// a start that kept its lines in memory until a large block was full would
// show nothing for minutes.
const std::vector<std::string> kSlowLoop = {
    "--mode", "3", "--demes", "3", "--maxgen", "2000", "--seed", "7", "--iterations", "10000"};

TEST(BatchFaults, AKillLosesAtMostTheLastSecondOfLines) {
  TempDirectory directory;
  const fs::path results = directory.path() / "ReportFile2.txt";
  BatchProcess batch(directory.path(), kSlowLoop);
  // "N = 1" and the result of the first run.
  ASSERT_TRUE(WaitForFile(results, 10, 20s)) << "no finished run reached the disk";
  std::this_thread::sleep_for(1500ms);
  const std::size_t before = CompleteLines(results).size();
  batch.Signal(SIGKILL);
  const int status = batch.WaitStatus();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  const std::vector<std::string> lines = CompleteLines(results);
  EXPECT_GE(lines.size(), before);
  ExpectLog10NBlocks(lines);
}

// The program's own output has nowhere to go: the reader of a pipe went away
// (`| head -1`, `| true`), or the stream was closed (`>&-`). The start still
// runs to its end, succeeds, and its report files hold exactly their lines.
TEST(BatchFaults, AVanishedReaderOrAClosedStreamNeverFailsAStart) {
  const auto pipeWithoutReader = [](int fd) {
    int ends[2];
    if (::pipe(ends) != 0) ::_exit(125);
    ::dup2(ends[1], fd);
    ::close(ends[0]);
    ::close(ends[1]);
  };
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void()> streams;
    const char* file;
    std::size_t lines;
  };
  const std::vector<Case> cases = {
      {"stdout to a pipe without reader",
       {"--maxgen", "10"},
       [&] { pipeWithoutReader(1); },
       "ReportFile1.txt",
       11},
      {"progress to a pipe without reader",
       {"--mode", "2", "--maxgen", "10", "--progress"},
       [&] { pipeWithoutReader(2); },
       "ReportFile2.txt",
       860},
      // A file opened now could take the number of the closed stream and
      // receive the progress lines.
      {"stderr closed",
       {"--mode", "2", "--maxgen", "10", "--progress"},
       [] { ::close(2); },
       "ReportFile2.txt",
       860},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDirectory directory;
    BatchProcess batch(directory.path(), c.arguments, c.streams);
    const int status = batch.WaitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> lines = CompleteLines(directory.path() / c.file);
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_TRUE(lines[0] == "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'" || lines[0].rfind("K\t", 0) == 0)
        << lines[0];
  }
}

TEST(BatchFaults, AFileSizeLimitIsARunTimeErrorWithCompleteLines) {
  constexpr rlim_t kLimit = 12000;
  const auto limited = [] {
    const rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  struct Case {
    std::vector<std::string> arguments;
    const char* file;
  };
  const std::vector<Case> cases = {{{"--maxgen", "10000"}, "ReportFile1.txt"},
                                   {{"--mode", "2", "--maxgen", "10"}, "ReportFile2.txt"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TempDirectory directory;
    BatchProcess batch(directory.path(), c.arguments, limited);
    const int status = batch.WaitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const fs::path path = directory.path() / c.file;
    EXPECT_NE(batch.err().find(path.string() + ": cannot write: File too large"), std::string::npos)
        << batch.err();
    EXPECT_GT(CompleteLines(path).size(), 50U);
    EXPECT_LE(fs::file_size(path), kLimit);
  }
}

TEST(BatchFaults, ASecondStartIntoABusyDirectoryIsRefusedAndTouchesNothing) {
  TempDirectory directory;
  { std::ofstream(directory.path() / "ReportFile1.txt") << "kept\r\n"; }
  const fs::path results = directory.path() / "ReportFile2.txt";
  BatchProcess first(directory.path(), kSlowLoop);
  ASSERT_TRUE(WaitForFile(results, 1, 20s));
  const auto inode = [](const fs::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_ino;
  };
  const ino_t resultsInode = inode(results);
  for (const std::vector<std::string>& second :
       {std::vector<std::string>{"--maxgen", "10"},
        std::vector<std::string>{"--mode", "3", "--maxgen", "10", "--seed", "1"}}) {
    BatchProcess refused(directory.path(), second);
    EXPECT_EQ(refused.Wait(), 3);
    EXPECT_NE(refused.err().find(directory.string() +
                                 ": another start is writing its report files there"),
              std::string::npos)
        << refused.err();
  }
  EXPECT_EQ(ReadFileBytes(directory.path() / "ReportFile1.txt"), "kept\r\n");
  EXPECT_EQ(inode(results), resultsInode);
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(), 143);
  ExpectLog10NBlocks(CompleteLines(results));

  // Once the first has ended, the directory is free again.
  BatchProcess later(directory.path(), {"--maxgen", "10"});
  EXPECT_EQ(later.Wait(), 0) << later.err();
}

}  // namespace
