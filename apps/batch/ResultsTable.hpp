#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Simulator.hpp"

namespace recmod::batch {

// --table FILE.csv: the results of a start in long format, one row per run
// (loops) or per generation, class and haplotype (single runs), RFC 4180 with
// LF line ends, numbers in the shortest text that reads back to the same
// double. Loops: "S,K,final_rplus" or "log10n,iteration,seed,final_rplus";
// single runs: "generation,class,haplotype,frequency", the plotted deme mean.
class ResultsTable {
 public:
  // Checks that the file's directory exists (UsageError otherwise) and
  // watches the start: single runs through the picture box, loops through
  // their executor. Construct after anything else that sets sim.plot or
  // sim.loopExecutor, and keep alive until Write.
  ResultsTable(std::string path, Simulator& sim);
  ~ResultsTable();
  ResultsTable(const ResultsTable&) = delete;
  ResultsTable& operator=(const ResultsTable&) = delete;

  // After a finished start: writes the file (not in a process that discards
  // its report files). Raises std::runtime_error naming
  // the file when it cannot be written.
  void Write(const Simulator& sim) const;

  class Watch;

 private:
  std::string path_;
  std::unique_ptr<Watch> watch_;
};

}  // namespace recmod::batch
