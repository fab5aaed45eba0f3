// recmod-batch run as a user runs it: a fresh directory, a command line, and
// then its exit status, its output and the report files it left.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/ProgramRun.hpp"
#include "support/ReportLines.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::BatchCommand;
using recmod::testing::CollectFrom;
using recmod::testing::LaunchIn;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReadFileBytes;
using recmod::testing::ReportLines;
using recmod::testing::RunBatchIn;
using recmod::testing::SplitTabs;
using recmod::testing::TempDirectory;

std::vector<std::string> FilesIn(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every generation line: 2 x haplotypes cumulative values, each followed by a
// TAB, rising to a total of 1.
void ExpectGenerationLines(const std::vector<std::string>& lines, std::size_t values) {
  for (std::size_t g = 1; g < lines.size(); ++g) {
    const std::vector<std::string> fields = SplitTabs(lines[g]);
    ASSERT_EQ(fields.size(), values + 1) << "line " << g << ": " << lines[g];
    EXPECT_EQ(fields.back(), "");
    double previous = 0.0;
    for (std::size_t j = 0; j < values; ++j) {
      ASSERT_EQ(fields[j][0] == ' ' || fields[j][0] == '-', true) << fields[j];
      const double value = std::strtod(fields[j].c_str(), nullptr);
      EXPECT_GE(value, -1e-15);
      EXPECT_GE(value, previous - 1e-15);
      previous = value;
    }
    EXPECT_NEAR(previous, 1.0, 1e-12);
  }
}

// The field listing of --fields: index or box name -> text.
std::map<std::string, std::string> Listing(const std::string& out) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) fields[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return fields;
}

TEST(BatchProgram, WithoutArgumentsOneRunAtTheStartUpValues) {
  TempDirectory dir;
  const ProgramOutcome outcome = RunBatchIn(dir.path(), {});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "ReportFile1.txt written to " + dir.path().string() + "\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"ReportFile1.txt", "recmod-run.json"}));
  const std::vector<std::string> lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 251U);
  EXPECT_EQ(lines[0], "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  ExpectGenerationLines(lines, 8);
}

TEST(BatchProgram, SingleRunsWithAFinitePopulationAndWithThreeLoci) {
  TempDirectory dir;
  ProgramOutcome outcome =
      RunBatchIn(dir.path(), {"--mode", "single-finite", "--log10n", "3", "--maxgen", "10"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  std::vector<std::string> lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 11U);
  ExpectGenerationLines(lines, 8);

  outcome = RunBatchIn(dir.path(), {"--loci", "3", "--c", "0.5", "--maxgen", "10"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 11U);
  EXPECT_EQ(lines[0],
            "abc\tAbc\taBc\tabC\tABc\taBC\tAbC\tABC\t"
            "abc'\tAbc'\taBc'\tabC'\tABc'\taBC'\tAbC'\tABC'");
  ExpectGenerationLines(lines, 16);
}

TEST(BatchProgram, LoopOverSKWrites20BlocksOf41Runs) {
  TempDirectory dir;
  const ProgramOutcome outcome = RunBatchIn(dir.path(), {"--mode", "loop-sk", "--maxgen", "10"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "ReportFile2.txt written to " + dir.path().string() + "\n");
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"ReportFile2.txt", "recmod-run.json"}));
  const std::vector<std::string> lines = ReportLines(dir / "ReportFile2.txt");
  ASSERT_EQ(lines.size(), 860U);
  EXPECT_EQ(lines[0], "K\tu= 1E-05 s= .01");
  EXPECT_EQ(lines[43], "K\tu= 1E-05 s= .02");
  EXPECT_EQ(lines[19 * 43], "K\tu= 1E-05 s= .2");
  std::vector<std::string> kColumn;
  for (int k = 80; k <= 120; ++k) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", k / 100.0);
    kColumn.push_back(std::string(" ") + (text[0] == '0' ? text + 1 : text));
  }
  EXPECT_EQ(kColumn.front(), " .8");
  EXPECT_EQ(kColumn.back(), " 1.2");
  for (std::size_t block = 0; block < 20; ++block) {
    for (std::size_t k = 0; k < 41; ++k) {
      const std::vector<std::string> fields = SplitTabs(lines[block * 43 + 1 + k]);
      ASSERT_EQ(fields.size(), 2U);
      EXPECT_EQ(fields[0], kColumn[k]);
      const double result = std::strtod(fields[1].c_str(), nullptr);
      EXPECT_GE(result, 0.0);
      EXPECT_LE(result, 1.0);
    }
    EXPECT_EQ(lines[block * 43 + 42], " ");
  }
}

TEST(BatchProgram, LoopOverLog10NWritesBlocksAndStatistics) {
  TempDirectory dir;
  const ProgramOutcome outcome =
      RunBatchIn(dir.path(), {"--mode", "3", "--log10n-from", "1", "--log10n-to", "2",
                              "--iterations", "3", "--maxgen", "10"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "ReportFile2.txt and ReportFile3.txt written to " + dir.path().string() + "\n");
  const std::vector<std::string> report2 = ReportLines(dir / "ReportFile2.txt");
  const std::vector<std::string> report3 = ReportLines(dir / "ReportFile3.txt");
  ASSERT_EQ(report2.size(), 15U);
  ASSERT_EQ(report3.size(), 4U);
  EXPECT_EQ(report2[0], "N = 1");
  EXPECT_EQ(report2[5], "N = 1.5");
  EXPECT_EQ(report2[10], "N = 2");
  EXPECT_EQ(report2[14], " ");
  EXPECT_EQ(report3[0], "N\tMean\tS.D.");
  for (std::size_t i = 1; i <= 3; ++i) {
    const std::vector<std::string> fields = SplitTabs(report3[i]);
    ASSERT_EQ(fields.size(), 3U);
    EXPECT_EQ(fields[0], report2[(i - 1) * 5].substr(3));
    EXPECT_GE(std::strtod(fields[2].c_str(), nullptr), 0.0);
  }
}

TEST(BatchProgram, RefusedStartsSayTheSystemsMessageAndTouchNoFile) {
  TempDirectory dir;
  const std::string earlier = "kept\r\n";
  std::ofstream(dir / "ReportFile1.txt", std::ios::binary) << earlier;
  std::ofstream(dir / "ReportFile2.txt", std::ios::binary) << earlier;

  ProgramOutcome outcome = RunBatchIn(dir.path(), {"--txt", "4="});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "One or more value are needed!\n");
  EXPECT_EQ(outcome.out, "");

  outcome = RunBatchIn(dir.path(), {"--mode", "3", "--iterations", " "});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "One or more value are needed!\n");

  outcome = RunBatchIn(dir.path(), {"--tick", "LinkageDisequilibrium", "--ab", "0.7", "--Ab", "0.1",
                                    "--aB", "0.1", "--AB", "0.2"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "ab+Ab+aB+Ab frequencies <> 1!\n");

  outcome = RunBatchIn(dir.path(), {"--tick", "InversionOfS", "--inversion-period", ""});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "An inversion period is needed!\n");

  // Only the record of the start, which says it was refused, is new.
  EXPECT_EQ(FilesIn(dir.path()),
            (std::vector<std::string>{"ReportFile1.txt", "ReportFile2.txt", "recmod-run.json"}));
  EXPECT_EQ(ReadFileBytes(dir / "ReportFile1.txt"), earlier);
  EXPECT_EQ(ReadFileBytes(dir / "ReportFile2.txt"), earlier);
}

TEST(BatchProgram, RunTimeErrorsAreNamedAndKeepTheLinesWritten) {
  TempDirectory dir;
  // A finite population entirely of AB under a sinusoidal S near -1 with
  // strong epistasis: in generation 12 no haplotype keeps a positive share.
  ProgramOutcome outcome = RunBatchIn(dir.path(), {"--mode",
                                                   "1",
                                                   "--log10n",
                                                   "1",
                                                   "--a",
                                                   "0",
                                                   "--b",
                                                   "0",
                                                   "--S",
                                                   "1",
                                                   "--K",
                                                   "1.4",
                                                   "--tick",
                                                   "InversionOfS",
                                                   "--tick",
                                                   "SinusoidalOption",
                                                   "--inversion-period",
                                                   "10",
                                                   "--seed",
                                                   "1"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_NE(outcome.err.find("Empty deme"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("generation 12"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  const std::vector<std::string> lines = ReportLines(dir / "ReportFile1.txt");
  ASSERT_EQ(lines.size(), 12U);  // the header and generations 1..11
  ExpectGenerationLines(lines, 8);

  // A directory in the place of the report file.
  fs::remove(dir / "ReportFile1.txt");
  fs::create_directory(dir / "ReportFile1.txt");
  outcome = RunBatchIn(dir.path(), {"--maxgen", "10"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_NE(outcome.err.find("File error"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find((dir / "ReportFile1.txt").string()), std::string::npos);
}

TEST(BatchProgram, UsageErrorsExitWith2AndRunNothing) {
  TempDirectory dir;
  const std::vector<std::vector<std::string>> commandLines = {
      {"--bogus"},      {"stray"},         {"--txt", "23=1"},  {"--txt", "x=1"},
      {"--txt", "5"},   {"--mode", "7"},   {"--mode", "loop"}, {"--loci", "4"},
      {"--seed", "-1"}, {"--seed", "12x"}, {"--tick", "Nope"},
  };
  for (const auto& arguments : commandLines) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), arguments);
    EXPECT_EQ(outcome.status, 2) << arguments[0] << ": " << outcome.err;
    EXPECT_NE(outcome.err, "") << arguments[0];
  }

  // Fields and boxes that are disabled when their turn comes, as in the window.
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> disabled = {
      {{"--log10n", "5"}, "--log10n: field 9 is disabled in mode 0"},
      {{"--mode", "3", "--log10n", "5"}, "--log10n: field 9 is disabled in mode 3"},
      {{"--iterations", "5"}, "--iterations: field 8 is disabled in mode 0"},
      {{"--c", "0.5"}, "--c: field 6 is disabled with 2 loci"},
      {{"--diffusion", "0.5", "--demes", "3"}, "--diffusion: field 11 is disabled"},
      {{"--inversion-period", "50"}, "--inversion-period: field 12 is disabled"},
      {{"--txt", "22=1"}, "--txt 22: field 22 is disabled"},
      {{"--tick", "SinusoidalOption"}, "--tick SinusoidalOption: the box is disabled"},
      {{"--loci", "3", "--tick", "LinkageDisequilibrium"},
       "--tick LinkageDisequilibrium: the box is disabled with 3 loci"},
  };
  for (const Case& c : disabled) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), c.arguments);
    EXPECT_EQ(outcome.status, 2) << c.message;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
  }
  // In the order of a person's actions they are fine.
  EXPECT_EQ(RunBatchIn(dir.path(), {"--demes", "3", "--diffusion", "0.5", "--fields"}).status, 0);
  EXPECT_EQ(
      RunBatchIn(dir.path(), {"--tick", "InversionOfS", "--tick", "SinusoidalOption", "--fields"})
          .status,
      0);
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST(BatchProgram, FieldsShowWhatTheValidationMade) {
  TempDirectory dir;
  auto fields = [&](const std::vector<std::string>& arguments, std::string* err = nullptr) {
    std::vector<std::string> withListing = arguments;
    withListing.push_back("--fields");
    const ProgramOutcome outcome = RunBatchIn(dir.path(), withListing);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    if (err != nullptr) *err = outcome.err;
    return Listing(outcome.out);
  };

  // Start-up texts, every field and box listed.
  std::map<std::string, std::string> shown = fields({});
  EXPECT_EQ(shown.size(), 28U + 8U);  // txt 0..22, 30, 37..40 and the boxes
  EXPECT_EQ(shown["0"], "1E-05");
  EXPECT_EQ(shown["2"], "0.1");
  EXPECT_EQ(shown["17"], "250");
  EXPECT_EQ(shown["30"], "C:");
  EXPECT_EQ(shown["GeneticDrift"], "0");
  EXPECT_EQ(shown["RecombForR"], "1");
  EXPECT_EQ(shown["ExactSampling"], "0");

  // Half steps and whole numbers.
  std::string err;
  shown = fields({"--mode", "1", "--log10n", "6.57", "--maxgen", "99.9", "--demes", "2.9"}, &err);
  EXPECT_EQ(shown["9"], "6.5");
  EXPECT_EQ(shown["17"], "99");
  EXPECT_EQ(shown["10"], "2");
  EXPECT_NE(err.find("log10n: 6.57 -> 6.5"), std::string::npos) << err;
  EXPECT_EQ(fields({"--mode", "1", "--log10n", "6.3"})["9"], "6");
  EXPECT_EQ(fields({"--mode", "1", "--log10n", "6.7"})["9"], "7");
  EXPECT_EQ(fields({"--mode", "1", "--log10n", "0.3"})["9"], "1");
  EXPECT_EQ(fields({"--maxgen", "5"})["17"], "10");
  EXPECT_EQ(fields({"--maxgen", "20000"})["17"], "10000");

  // Bounds that single precision holds just inside the typed number are
  // written as their own text form, with its leading blank.
  shown = fields({"--K", "0.6", "--u", "1E-10", "--w", "0.0001", "--R", "0.01"});
  EXPECT_EQ(shown["3"], " .6");
  EXPECT_EQ(shown["0"], " 1E-10");
  EXPECT_EQ(shown["1"], " .0001");
  EXPECT_EQ(shown["20"], "0.01");
  EXPECT_EQ(fields({"--K", "1.4"})["3"], " 1.4");

  // Typed forms: comma, leading point.
  shown = fields({"--a", "0,02", "--R", ".5", "--z", "1,5"});
  EXPECT_EQ(shown["4"], "0.02");
  EXPECT_EQ(shown["20"], "0.5");
  EXPECT_EQ(shown["7"], "1");

  // S at its lower end, typed as a negative number.
  EXPECT_EQ(fields({"--S", "-1"})["2"], "-.99");
  shown = fields({"--S", "-2"}, &err);
  EXPECT_EQ(shown["2"], "-.99");
  EXPECT_NE(err.find("S: -2 -> -.99"), std::string::npos) << err;

  // The number of demes ticks and unticks InterdemicDiffusion.
  shown = fields({"--demes", "3"}, &err);
  EXPECT_EQ(shown["InterdemicDiffusion"], "1");
  EXPECT_NE(err.find("InterdemicDiffusion: unticked -> ticked"), std::string::npos) << err;
  EXPECT_EQ(fields({"--demes", "3", "--demes", "1"})["InterdemicDiffusion"], "0");
  EXPECT_EQ(fields({"--tick", "InterdemicDiffusion"})["InterdemicDiffusion"], "0");

  // Total and D of the linkage-disequilibrium entry.
  shown = fields({"--tick", "LinkageDisequilibrium"});
  EXPECT_EQ(shown["22"], " 1");
  EXPECT_EQ(shown["21"], " 0");
  shown = fields({"--tick", "LinkageDisequilibrium", "--ab", "0.3", "--Ab", "0.3", "--aB", "0.3",
                  "--AB", "0.3"});
  EXPECT_EQ(shown["22"], " 1.2");
  EXPECT_EQ(shown["21"], " 0");
  shown = fields({"--tick", "LinkageDisequilibrium", "--ab", "0.4", "--Ab", "0.1", "--aB", "0.1",
                  "--AB", "0.4"});
  EXPECT_EQ(shown["21"], " .15");

  // Ends of the Log10(N) loop.
  shown = fields({"--mode", "3", "--log10n-from", "5", "--log10n-to", "3"});
  EXPECT_EQ(shown["18"], "3");
  EXPECT_EQ(shown["19"], "3");
  EXPECT_EQ(fields({"--mode", "3", "--log10n-from", "15"})["18"], "11.5");

  // A directory that exists is kept (one that does not is a usage error).
  fs::create_directory(dir / "out");
  EXPECT_EQ(fields({"--dir", (dir / "out").string()})["30"], (dir / "out").string());
  EXPECT_EQ(fields({"--txt", "30=" + (dir / "out").string()})["30"], (dir / "out").string());
}

TEST(BatchProgram, SaveDirectoryWithOrWithoutTrailingSeparator) {
  TempDirectory dir;
  fs::create_directory(dir / "out");
  ProgramOutcome outcome = RunBatchIn(dir.path(), {"--dir", "out\\", "--maxgen", "10"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "ReportFile1.txt written to " + (dir / "out").string() + "\n");
  EXPECT_EQ(ReportLines(dir / "out" / "ReportFile1.txt").size(), 11U);
  outcome = RunBatchIn(dir.path(), {"--dir", (dir / "out").string(), "--mode", "3", "--log10n-to",
                                    "1.5", "--iterations", "2", "--maxgen", "10", "--quiet"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(ReportLines(dir / "out" / "ReportFile3.txt").size(), 3U);
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"out"});
}

TEST(BatchProgram, SeedsMakeStartsRepeatable) {
  TempDirectory dir;
  auto report = [&](const std::vector<std::string>& arguments, const std::string& file) {
    const ProgramOutcome outcome = RunBatchIn(dir.path(), arguments);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return ReadFileBytes(dir / file);
  };
  const std::vector<std::string> finite = {"--mode", "1", "--log10n", "2", "--maxgen", "60"};
  auto with = [](std::vector<std::string> arguments, const std::string& seed) {
    arguments.push_back("--seed");
    arguments.push_back(seed);
    return arguments;
  };
  EXPECT_EQ(report(with(finite, "42"), "ReportFile1.txt"),
            report(with(finite, "42"), "ReportFile1.txt"));
  EXPECT_NE(report(with(finite, "42"), "ReportFile1.txt"),
            report(with(finite, "43"), "ReportFile1.txt"));

  const std::vector<std::string> loop = {"--mode",       "3", "--log10n-to", "2",
                                         "--iterations", "5", "--maxgen",    "30"};
  const std::string seeded = report(with(loop, "7"), "ReportFile2.txt");
  const std::string seededStatistics = ReadFileBytes(dir / "ReportFile3.txt");
  EXPECT_EQ(seeded, report(with(loop, "7"), "ReportFile2.txt"));
  EXPECT_EQ(seededStatistics, ReadFileBytes(dir / "ReportFile3.txt"));
  // Without a seed every run of the loop is seeded from the time of day.
  EXPECT_NE(report(loop, "ReportFile2.txt"), report(loop, "ReportFile2.txt"));
  EXPECT_NE(report(loop, "ReportFile2.txt"), seeded);
}

TEST(BatchProgram, ProgressHelpAndVersion) {
  TempDirectory dir;
  ProgramOutcome outcome = RunBatchIn(
      dir.path(),
      {"--mode", "3", "--log10n-to", "2", "--iterations", "3", "--maxgen", "10", "--progress"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("run 9 of 9"), std::string::npos) << outcome.err;

  outcome = RunBatchIn(dir.path(), {"--help"});
  EXPECT_EQ(outcome.status, 0);
  for (const char* expected : {"Examples:", "--mode", "--txt", "--log10n-from", "--tick",
                               "--fields", "--seed", "--progress", "--quiet", "Exit status"}) {
    EXPECT_NE(outcome.out.find(expected), std::string::npos) << expected;
  }
  outcome = RunBatchIn(dir.path(), {"--version"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out.rfind("recmod-batch ", 0), 0U) << outcome.out;
}

TEST(BatchProgram, AnInterruptStopsAfterAGenerationWithCompleteFiles) {
  TempDirectory dir;
  // 820 runs of 10000 generations with 3 loci and 10 demes: far longer than
  // the test waits, even side by side.
  const pid_t pid =
      LaunchIn(dir.path(),
               BatchCommand({"--mode", "2", "--loci", "3", "--demes", "10", "--maxgen", "10000"}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(dir / "ReportFile2.txt") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ::kill(pid, SIGINT);
  const ProgramOutcome outcome = CollectFrom(dir.path(), pid);
  EXPECT_EQ(outcome.status, 130) << outcome.err;
  EXPECT_NE(outcome.err.find("stopped"), std::string::npos) << outcome.err;
  const std::vector<std::string> lines = ReportLines(dir / "ReportFile2.txt");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "K\tu= 1E-05 s= .01");
}

}  // namespace
