#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace recmod {

// The results of a loop over S and K as "ReportFile2.txt" holds them: one
// column per value of S (a block of the file), one result per value of K.
// Every column has the K values of the longest one, or a first part of them
// when the start was stopped during that column.
struct SkSweepColumn {
  double s = 0.0;
  std::vector<double> k;
  std::vector<double> results;  // the R+ frequency after the last generation
};

struct SkSweep {
  double u = 0.0;
  std::vector<SkSweepColumn> columns;

  // The K values of the longest column: the rows of the grid.
  const std::vector<double>& RowValues() const;
};

// One population size of a loop over Log10(N): the mean and standard
// deviation of "ReportFile3.txt" and the number of runs behind them, counted
// in "ReportFile2.txt".
struct Log10NSweepPoint {
  float log10N = 0.0F;
  double mean = 0.0;
  double standardDeviation = 0.0;
  int runs = 0;
};

struct Log10NSweep {
  std::vector<Log10NSweepPoint> points;
};

enum class SweepKind { SK, Log10N };

using SweepResults = std::variant<SkSweep, Log10NSweep>;

// What a picture of a sweep shows: its results and the start frequency of R+,
// the value at which R+ neither gained nor lost.
struct SweepPicture {
  SweepResults results;
  double startFrequency = 0.5;
  // The heat map's colours span this much either side of the start
  // frequency; unset, as much as the results need.
  std::optional<double> colourHalfWidth{};
};

// A report file that is not in the report format, or cannot be read. The
// message names the file and, where there is one, the line ("PATH, line 7:
// ...").
class ReportFormatError : public std::runtime_error {
 public:
  ReportFormatError(const std::string& path, int line, const std::string& what);
  const std::string& path() const { return path_; }
  int line() const { return line_; }  // 0 when the problem is the whole file

 private:
  std::string path_;
  int line_;
};

// A number as the report files write it: a blank or "-" in front, then the
// digits with an optional point and exponent (" .5", "-.25", " 1E-05").
std::optional<double> ParseReportNumber(std::string_view text);

// Parsers of a file's text; `path` names it in errors. Lines end in CR LF (a
// lone LF is accepted too). A start that was stopped leaves whole lines but
// perhaps an unfinished last block: that is read as far as it goes.
SkSweep ParseSkSweep(std::string_view text, const std::string& path);
// "ReportFile2.txt" and "ReportFile3.txt" of a loop over Log10(N): one point
// per line of the latter, with the runs of its block in the former.
Log10NSweep ParseLog10NSweep(std::string_view resultsText, const std::string& resultsPath,
                             std::string_view summaryText, const std::string& summaryPath);

// Which loop wrote this "ReportFile2.txt": blocks headed "K<TAB>u=..." or
// "N =...". Nothing for an empty file.
std::optional<SweepKind> DetectSweepKind(std::string_view text, const std::string& path);

// Reads the report files of the loop in `directory`, deciding the loop from
// "ReportFile2.txt" unless `expected` says which loop wrote them (an empty
// file then gives a sweep without results).
SweepResults ReadSweepReports(const std::string& directory,
                              std::optional<SweepKind> expected = std::nullopt);

}  // namespace recmod
