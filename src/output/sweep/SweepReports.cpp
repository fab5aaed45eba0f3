#include "output/sweep/SweepReports.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "numbers/NumberText.hpp"

namespace recmod {

namespace {

constexpr std::string_view kSkHeader = "K\tu=";
constexpr std::string_view kSkSeparator = " s=";
constexpr std::string_view kLog10NHeader = "N =";
constexpr std::string_view kSummaryHeader = "N\tMean\tS.D.";
constexpr std::string_view kBlockEnd = " ";

// The lines of a file's text without their line ends; a last line without
// one counts as a line too.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// A line as it may be shown in a message: printable ASCII, cut short.
std::string Quoted(std::string_view line) {
  std::string shown;
  for (const char c : line.substr(0, 60)) {
    if (c == '\t') {
      shown += "<TAB>";
    } else if (c >= 32 && c < 127) {
      shown += c;
    } else {
      shown += '?';
    }
  }
  if (line.size() > 60) shown += "...";
  return "\"" + shown + "\"";
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

double NumberOrThrow(std::string_view text, const std::string& path, int line, const char* what) {
  const std::optional<double> value = ParseReportNumber(text);
  if (!value) {
    throw ReportFormatError(
        path, line,
        std::string(what) + " " + Quoted(text) + " is not a number in the report format");
  }
  return *value;
}

// A final R+ frequency (or a mean of them): a number from 0 to 1.
double FrequencyOrThrow(std::string_view text, const std::string& path, int line,
                        const char* what) {
  const double value = NumberOrThrow(text, path, line, what);
  if (!(value >= 0.0 && value <= 1.0)) {
    throw ReportFormatError(
        path, line, std::string(what) + " " + Quoted(text) + " is not a frequency from 0 to 1");
  }
  return value;
}

std::string ReadWholeFile(const std::string& path) {
  // Opened without waiting, so that a FIFO in the file's place cannot hang
  // the reader; only a regular file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    throw ReportFormatError(path, 0, std::string("cannot be read: ") + std::strerror(errno));
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw ReportFormatError(path, 0, "cannot be read: it is not a regular file");
  }
  std::string text;
  char block[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw ReportFormatError(path, 0, std::string("cannot be read: ") + std::strerror(error));
    }
    if (n == 0) break;
    text.append(block, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

std::string JoinPath(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// One block of the loop over Log10(N) in "ReportFile2.txt".
struct Log10NBlock {
  float log10N = 0.0F;
  int runs = 0;
  bool ended = false;  // its closing blank line was written
};

std::vector<Log10NBlock> ParseLog10NBlocks(std::string_view text, const std::string& path) {
  std::vector<Log10NBlock> blocks;
  bool inBlock = false;
  int number = 0;
  for (const std::string_view line : SplitLines(text)) {
    ++number;
    if (!inBlock) {
      if (!line.starts_with(kLog10NHeader)) {
        throw ReportFormatError(path, number,
                                Quoted(line) + " is not a block header \"N =<Log10(N)>\"");
      }
      Log10NBlock block;
      block.log10N = static_cast<float>(
          NumberOrThrow(line.substr(kLog10NHeader.size()), path, number, "the Log10(N) value"));
      for (const Log10NBlock& before : blocks) {
        if (before.log10N == block.log10N) {
          throw ReportFormatError(path, number,
                                  "N =" + NumberTextSingle(block.log10N) +
                                      " comes twice: the blocks are not one loop's");
        }
      }
      // Every size has the same number of runs; only a stopped start's last
      // block is short.
      if (blocks.size() > 1 && blocks.back().runs != blocks.front().runs) {
        throw ReportFormatError(path, number,
                                "the block before has " + std::to_string(blocks.back().runs) +
                                    " results, the first " + std::to_string(blocks.front().runs) +
                                    ": the blocks are not one loop's");
      }
      blocks.push_back(block);
      inBlock = true;
    } else if (line == kBlockEnd) {
      blocks.back().ended = true;
      inBlock = false;
    } else {
      FrequencyOrThrow(line, path, number, "the result");
      ++blocks.back().runs;
      if (blocks.size() > 1 && blocks.back().runs > blocks.front().runs) {
        throw ReportFormatError(path, number,
                                "more results than the first block's " +
                                    std::to_string(blocks.front().runs) +
                                    ": the blocks are not one loop's");
      }
    }
  }
  return blocks;
}

}  // namespace

ReportFormatError::ReportFormatError(const std::string& path, int line, const std::string& what)
    : std::runtime_error(path + (line > 0 ? ", line " + std::to_string(line) : std::string()) +
                         ": " + what),
      path_(path),
      line_(line) {}

const std::vector<double>& SkSweep::RowValues() const {
  static const std::vector<double> kNone;
  const SkSweepColumn* longest = nullptr;
  for (const SkSweepColumn& column : columns) {
    if (longest == nullptr || column.k.size() > longest->k.size()) longest = &column;
  }
  return longest == nullptr ? kNone : longest->k;
}

std::optional<double> ParseReportNumber(std::string_view text) {
  if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) return std::nullopt;
  const bool negative = text[0] == '-';
  const std::string_view body = text.substr(1);
  // Digits, one point, and an exponent: no blanks, signs, "inf" or "nan".
  if (body.find_first_not_of("0123456789.E+-") != std::string_view::npos) return std::nullopt;
  if (body[0] == '+' || body[0] == '-') return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (error != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

SkSweep ParseSkSweep(std::string_view text, const std::string& path) {
  SkSweep sweep;
  // The K values of the longest column so far, with their texts: every column
  // must follow them.
  std::vector<std::string_view> kTexts;
  bool inBlock = false;
  int number = 0;
  for (const std::string_view line : SplitLines(text)) {
    ++number;
    if (!inBlock) {
      const std::size_t separator = line.find(kSkSeparator, kSkHeader.size() + 1);
      if (!line.starts_with(kSkHeader) || separator == std::string_view::npos) {
        throw ReportFormatError(path, number,
                                Quoted(line) + " is not a block header \"K<TAB>u=<u> s=<S>\"");
      }
      const double u = NumberOrThrow(line.substr(kSkHeader.size(), separator - kSkHeader.size()),
                                     path, number, "the value of u");
      if (!sweep.columns.empty() && u != sweep.u) {
        throw ReportFormatError(path, number,
                                "u =" + NumberText(u) + " differs from u =" + NumberText(sweep.u) +
                                    " of the first block");
      }
      sweep.u = u;
      SkSweepColumn column;
      column.s = NumberOrThrow(line.substr(separator + kSkSeparator.size()), path, number,
                               "the value of S");
      for (const SkSweepColumn& before : sweep.columns) {
        if (before.s == column.s) {
          throw ReportFormatError(
              path, number,
              "S =" + NumberText(column.s) + " comes twice: the blocks are not one loop's");
        }
      }
      // Only a stopped start's last column is short.
      if (!sweep.columns.empty() && sweep.columns.back().k.size() != kTexts.size()) {
        throw ReportFormatError(path, number,
                                "the block before has " +
                                    std::to_string(sweep.columns.back().k.size()) +
                                    " results, the longest " + std::to_string(kTexts.size()) +
                                    ": the runs do not form a grid");
      }
      sweep.columns.push_back(std::move(column));
      inBlock = true;
      continue;
    }
    if (line == kBlockEnd) {
      inBlock = false;
      continue;
    }
    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields.size() != 2) {
      throw ReportFormatError(path, number,
                              Quoted(line) + " is not a result line \"<K><TAB><R+ frequency>\"");
    }
    SkSweepColumn& column = sweep.columns.back();
    const std::size_t row = column.k.size();
    const double k = NumberOrThrow(fields[0], path, number, "the value of K");
    if (row < kTexts.size() && fields[0] != kTexts[row]) {
      throw ReportFormatError(path, number,
                              "K =" + std::string(fields[0]) + " where the blocks before have K =" +
                                  std::string(kTexts[row]) + ": the runs do not form a grid");
    }
    if (row == kTexts.size() && sweep.columns.size() > 1) {
      throw ReportFormatError(path, number,
                              "more results than the first block's " +
                                  std::to_string(kTexts.size()) + ": the runs do not form a grid");
    }
    if (row == kTexts.size()) kTexts.push_back(fields[0]);
    column.k.push_back(k);
    column.results.push_back(FrequencyOrThrow(fields[1], path, number, "the result"));
  }
  return sweep;
}

Log10NSweep ParseLog10NSweep(std::string_view resultsText, const std::string& resultsPath,
                             std::string_view summaryText, const std::string& summaryPath) {
  const std::vector<Log10NBlock> blocks = ParseLog10NBlocks(resultsText, resultsPath);
  std::map<float, int> runsOf;
  for (const Log10NBlock& block : blocks) {
    if (block.ended) runsOf[block.log10N] = block.runs;
  }

  Log10NSweep sweep;
  const std::vector<std::string_view> lines = SplitLines(summaryText);
  if (lines.empty()) return sweep;
  if (lines[0] != kSummaryHeader) {
    throw ReportFormatError(summaryPath, 1,
                            Quoted(lines[0]) + " is not the header \"N<TAB>Mean<TAB>S.D.\"");
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::vector<std::string_view> fields = SplitTabs(lines[i]);
    if (fields.size() != 3) {
      throw ReportFormatError(summaryPath, number,
                              Quoted(lines[i]) +
                                  " is not a line \"<Log10(N)><TAB><mean><TAB>"
                                  "<S.D.>\"");
    }
    Log10NSweepPoint point;
    point.log10N =
        static_cast<float>(NumberOrThrow(fields[0], summaryPath, number, "the Log10(N) value"));
    point.mean = FrequencyOrThrow(fields[1], summaryPath, number, "the mean");
    point.standardDeviation = NumberOrThrow(fields[2], summaryPath, number, "the S.D.");
    if (point.standardDeviation < 0.0) {
      throw ReportFormatError(summaryPath, number, "the S.D. is negative");
    }
    for (const Log10NSweepPoint& before : sweep.points) {
      if (before.log10N == point.log10N) {
        throw ReportFormatError(summaryPath, number,
                                "N =" + NumberTextSingle(point.log10N) + " comes twice");
      }
    }
    const auto runs = runsOf.find(point.log10N);
    if (runs == runsOf.end()) {
      throw ReportFormatError(
          summaryPath, number,
          "N =" + NumberTextSingle(point.log10N) + " has no finished block in " + resultsPath);
    }
    point.runs = runs->second;
    sweep.points.push_back(point);
  }
  return sweep;
}

std::optional<SweepKind> DetectSweepKind(std::string_view text, const std::string& path) {
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty()) return std::nullopt;
  if (lines[0].starts_with(kSkHeader)) return SweepKind::SK;
  if (lines[0].starts_with(kLog10NHeader)) return SweepKind::Log10N;
  throw ReportFormatError(path, 1,
                          Quoted(lines[0]) +
                              " begins neither a block of the loop over S and K (\"K<TAB>u=...\") "
                              "nor one of the loop over Log10(N) (\"N =...\")");
}

SweepResults ReadSweepReports(const std::string& directory, std::optional<SweepKind> expected) {
  const std::string resultsPath = JoinPath(directory, "ReportFile2.txt");
  const std::string results = ReadWholeFile(resultsPath);
  const std::optional<SweepKind> found = DetectSweepKind(results, resultsPath);
  if (found && expected && *found != *expected) {
    throw ReportFormatError(resultsPath, 1,
                            *expected == SweepKind::SK
                                ? "holds the loop over Log10(N), not the loop over S and K"
                                : "holds the loop over S and K, not the loop over Log10(N)");
  }
  const std::optional<SweepKind> kind = found ? found : expected;
  if (!kind) throw ReportFormatError(resultsPath, 0, "is empty: there is no sweep to draw");
  if (*kind == SweepKind::SK) return ParseSkSweep(results, resultsPath);
  const std::string summaryPath = JoinPath(directory, "ReportFile3.txt");
  return ParseLog10NSweep(results, resultsPath, ReadWholeFile(summaryPath), summaryPath);
}

}  // namespace recmod
