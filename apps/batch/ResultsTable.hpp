#pragma once

#include <memory>
#include <string>

#include "driver/ResultsTableWatch.hpp"

namespace recmod::batch {

// --table FILE.csv: the results of the start in long format (ResultsTableWatch).
class ResultsTable {
 public:
  // Watches the start (the path was checked with CheckOutputPaths).
  // Construct after anything else that sets sim.plot or sim.loopExecutor, and
  // keep alive until Write.
  ResultsTable(std::string path, Simulator& sim);

  // After a finished start: writes the file (not in a process that discards
  // its report files, as the other ranks of an MPI job do), whole or not at
  // all (WriteOutputFile). Raises RuntimeError naming the file and the
  // reason when it cannot be written.
  void Write(const Simulator& sim) const;

 private:
  std::string path_;
  std::unique_ptr<ResultsTableWatch> watch_;
};

}  // namespace recmod::batch
