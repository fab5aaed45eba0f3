// recmod-batch --sampling: the option as a user gives it, the report files
// it leaves, and neutral drift under exact sampling against Wright-Fisher.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/DriftTheory.hpp"
#include "support/NumberFormatCheck.hpp"

namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "recmod-sampling-XXXXXX").string();
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
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
      text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs recmod-batch in `directory` (its report files go there).
Outcome RunBatch(const fs::path& directory, const std::vector<std::string>& arguments) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(directory.c_str()) != 0) ::_exit(126);
    ::dup2(::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::vector<std::string> copies = arguments;
    std::string program = RECMOD_BATCH_PATH;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadAll(directory / ".stdout");
  outcome.err = ReadAll(directory / ".stderr");
  fs::remove(directory / ".stdout");
  fs::remove(directory / ".stderr");
  return outcome;
}

std::vector<std::string> Lines(const fs::path& path) {
  const std::string text = ReadAll(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF in " << path;
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

const std::vector<std::string> kNeutral = {"--S", "0",     "--u", "1E-10",
                                           "--w", "1E-10", "--R", "0.3"};

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(BatchSampling, OnlyDrawAndExactAreSchemesAndHelpNamesThem) {
  Scratch dir;
  const Outcome help = RunBatch(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--sampling"), std::string::npos);
  EXPECT_NE(help.out.find("draw|exact"), std::string::npos);

  for (const char* bad : {"multinomial", "Exact", ""}) {
    const Outcome outcome = RunBatch(dir.path(), {"--sampling", bad});
    EXPECT_EQ(outcome.status, 2) << bad;
    EXPECT_NE(outcome.err.find("--sampling"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.path() / "ReportFile1.txt")) << bad;
  }
  const Outcome draw = RunBatch(dir.path(), {"--sampling", "draw", "--quiet"});
  EXPECT_EQ(draw.status, 0) << draw.err;
}

TEST(BatchSampling, ASingleRunKeepsItsReportFormatAndDriftsInWholeIndividuals) {
  // With S = 0 only drift changes the R+ share. Exact sampling draws it as a
  // count out of N = 100, so every generation's R+ field is a multiple of
  // 1/100; the default draw divides by the sum of two counts and is not.
  auto run = [&](const char* sampling) {
    Scratch dir;
    const Outcome outcome = RunBatch(
        dir.path(), With(kNeutral, {"--mode", "single-finite", "--log10n", "2", "--maxgen", "200",
                                    "--seed", "5", "--quiet", "--sampling", sampling}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return Lines(dir.path() / "ReportFile1.txt");
  };
  const std::vector<std::string> exact = run("exact");
  const std::vector<std::string> draw = run("draw");
  ASSERT_EQ(exact.size(), 201U);
  ASSERT_EQ(draw.size(), 201U);
  EXPECT_EQ(exact[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  EXPECT_EQ(exact[0], draw[0]);
  int wholeInExact = 0;
  int wholeInDraw = 0;
  for (std::size_t g = 1; g <= 200; ++g) {
    for (const auto* lines : {&exact, &draw}) {
      const std::vector<std::string> fields = Fields((*lines)[g]);
      ASSERT_EQ(fields.size(), 9U) << (*lines)[g];
      EXPECT_EQ(fields[8], "");
      double previous = 0.0;
      for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_TRUE(recmod::testing::IsNumberText(fields[k]));
        const double value = std::strtod(fields[k].c_str(), nullptr);
        EXPECT_GE(value, previous - 1e-15) << "cumulative fields fall in " << (*lines)[g];
        previous = value;
      }
      EXPECT_NEAR(previous, 1.0, 1e-12);
    }
    auto isWhole = [](const std::string& line) {
      const double sex = std::strtod(Fields(line)[3].c_str(), nullptr) * 100.0;
      return std::fabs(sex - std::round(sex)) < 1e-9;
    };
    wholeInExact += isWhole(exact[g]);
    wholeInDraw += isWhole(draw[g]);
  }
  EXPECT_EQ(wholeInExact, 200);
  EXPECT_LT(wholeInDraw, 200);
}

TEST(BatchSampling, ExactSamplingFixesANeutralModifierFromPointThreeInThirtyPerCent) {
  // Exact sampling is Wright-Fisher drift of N = 100: R+ is a martingale, so
  // the mean final R+ of the runs is 0.3 (within 4 SD / sqrt(n), SD from
  // "ReportFile3.txt"), and the share of runs that fixed R+ within 600
  // generations is the chain's 0.2985 (0.3 in the long run) within four
  // binomial standard errors.
  const int runs = 2000;
  const int generations = 600;
  Scratch dir;
  const Outcome outcome = RunBatch(
      dir.path(),
      With(kNeutral, {"--mode", "loop-log10n", "--log10n-from", "2", "--log10n-to", "2",
                      "--iterations", std::to_string(runs), "--maxgen", std::to_string(generations),
                      "--seed", "7", "--quiet", "--sampling", "exact"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;

  const std::vector<std::string> report2 = Lines(dir.path() / "ReportFile2.txt");
  const std::vector<std::string> report3 = Lines(dir.path() / "ReportFile3.txt");
  ASSERT_EQ(report2.size(), static_cast<std::size_t>(runs) + 2);
  EXPECT_EQ(report2.front(), "N = 2");
  EXPECT_EQ(report2.back(), " ");
  int fixed = 0;
  for (int i = 1; i <= runs; ++i) {
    const std::string& line = report2[static_cast<std::size_t>(i)];
    ASSERT_TRUE(recmod::testing::IsNumberText(line));
    fixed += std::strtod(line.c_str(), nullptr) > 1.0 - 1e-6;
  }
  ASSERT_EQ(report3.size(), 2U);
  EXPECT_EQ(report3[0], "N\tMean\tS.D.");
  const std::vector<std::string> statistics = Fields(report3[1]);
  ASSERT_EQ(statistics.size(), 3U);
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[0], 7));
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[1]));
  EXPECT_TRUE(recmod::testing::IsNumberText(statistics[2]));
  const double mean = std::strtod(statistics[1].c_str(), nullptr);
  const double sd = std::strtod(statistics[2].c_str(), nullptr);
  EXPECT_NEAR(mean, 0.3, 4.0 * sd / std::sqrt(runs));

  const double chain = recmod::testing::WrightFisherFixedBy(100, 0.0, 0.3, generations);
  const double share = static_cast<double>(fixed) / runs;
  RecordProperty("FixedShare", std::to_string(share));
  RecordProperty("WrightFisherChain", std::to_string(chain));
  EXPECT_NEAR(share, chain, 4.0 * std::sqrt(chain * (1.0 - chain) / runs));
}

}  // namespace
