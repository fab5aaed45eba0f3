// recmod-batch's whole program on arbitrary command lines: one argument per
// line of the input. Whatever the arguments, the program ends with one of its
// exit statuses, and nothing crashes, leaks or invokes undefined behaviour.
// Starts run for real, but only small ones (a bound on runs x generations x
// demes), and their report files go to a scratch directory whatever the
// command line names. A start that ended well leaves report files of whole
// CR LF lines, with every generation field of "ReportFile1.txt" a number in
// the report format.
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "BatchProgram.hpp"
#include "FuzzCheck.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"

using namespace recmod;

namespace {

constexpr std::size_t kMostArguments = 32;
constexpr double kMostWork = 30000.0;  // deme-generations of one start

std::string gScratch;
bool gStarted = false;

// A number as the report files write it: a blank or "-", digits with no zero
// before the point and none trailing after it, perhaps an exponent.
const std::regex kNumber(
    R"([ -](0|[1-9][0-9]*|[1-9][0-9]*\.[0-9]*[1-9]|\.[0-9]*[1-9])(E[+-][0-9]{2,3})?)");

std::string ReportPath(int n) {
  return gScratch + "/ReportFile" + std::to_string(n) + ".txt";
}

void CheckReportFiles() {
  for (int n = 1; n <= 3; ++n) {
    std::ifstream in(ReportPath(n), std::ios::binary);
    if (!in) continue;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    bool header = true;
    while (start < text.size()) {
      const std::size_t end = text.find("\r\n", start);
      FUZZ_REQUIRE(end != std::string::npos, "ReportFile%d.txt ends in a partial line", n);
      const std::string line = text.substr(start, end - start);
      FUZZ_REQUIRE(line.find_first_of("\r\n") == std::string::npos,
                   "ReportFile%d.txt has a stray line break", n);
      if (n == 1 && !header) {
        std::size_t field = 0;
        for (std::size_t tab; (tab = line.find('\t', field)) != std::string::npos;
             field = tab + 1) {
          const std::string number = line.substr(field, tab - field);
          FUZZ_REQUIRE(std::regex_match(number, kNumber), "ReportFile1.txt field \"%s\"",
                       number.c_str());
        }
        FUZZ_REQUIRE(field == line.size(), "ReportFile1.txt line without its last TAB");
      }
      header = false;
      start = end + 2;
    }
  }
}

void RemoveScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(gScratch, ignored);
}

double NumberIn(const Simulator& sim, int index) {
  return ParseDecimal(sim.controls.Text(index));
}

// Lets a start go ahead only when it is small, and sends its files to the
// scratch directory.
bool SmallStartInScratch(Simulator& sim) {
  try {
    const double generations = std::max(1.0, NumberIn(sim, 17));
    const double demes = std::max(1.0, NumberIn(sim, 10));
    double runs = 1.0;
    switch (sim.controls.Option1Selected) {
      case 2:
        runs = 820.0;
        break;
      case 3: {
        const double sizes = std::floor((NumberIn(sim, 19) - NumberIn(sim, 18)) / 0.5) + 1.0;
        runs = std::max(1.0, sizes) * std::max(1.0, NumberIn(sim, 8));
        break;
      }
      default:
        break;
    }
    const double loci = sim.controls.AllelesNumberCaption == "3" ? 2.0 : 1.0;
    if (runs * generations * demes * loci > kMostWork) return false;
  } catch (const RuntimeError&) {
    return false;
  }
  sim.controls.Text(30) = gScratch;
  gStarted = true;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "recmod-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  gScratch = pattern;
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments{"recmod-batch"};
  std::string current;
  for (std::size_t i = 0; i < size && arguments.size() <= kMostArguments; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      arguments.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty() && arguments.size() <= kMostArguments) arguments.push_back(current);

  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  for (int n = 1; n <= 3; ++n) std::remove(ReportPath(n).c_str());
  gStarted = false;

  batch::BatchHooks hooks;
  hooks.beforeStart = SmallStartInScratch;
  const int status = batch::RunBatch(static_cast<int>(arguments.size()), argv.data(), hooks);
  FUZZ_REQUIRE(status == batch::kExitSuccess || status == batch::kExitRefused ||
                   status == batch::kExitUsage || status == batch::kExitRuntimeError,
               "exit status %d", status);
  if (status == batch::kExitSuccess && gStarted) CheckReportFiles();
  return 0;
}
