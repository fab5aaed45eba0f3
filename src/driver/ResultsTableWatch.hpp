#pragma once

#include <memory>
#include <string>

#include "ui/Simulator.hpp"

namespace recmod {

// The results of a start in long format, one row per run (loops) or per
// generation, class and haplotype (single runs): CSV after RFC 4180 with LF
// line ends, a header line, and numbers in the shortest text that reads back
// to the same double. Loops: "S,K,final_rplus" or
// "log10n,iteration,seed,position,final_rplus"; single runs:
// "generation,class,haplotype,frequency", the plotted deme mean.
class ResultsTableWatch {
 public:
  // Watches the next start of `sim` in its present run mode: a single run
  // through sim.watchGenerations, a loop through its executor. Construct after
  // anything else that sets either; the destructor puts both back.
  explicit ResultsTableWatch(Simulator& sim);
  ~ResultsTableWatch();
  ResultsTableWatch(const ResultsTableWatch&) = delete;
  ResultsTableWatch& operator=(const ResultsTableWatch&) = delete;

  // The table of the watched start, once it has finished.
  std::string Text(const Simulator& sim) const;

  class Parts;

 private:
  Simulator& sim_;
  std::function<void(const Engine&)> watchBefore_;
  LoopExecutor* executorBefore_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace recmod
