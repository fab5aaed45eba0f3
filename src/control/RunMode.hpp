#pragma once

namespace recmod {

// The run-mode flags; only the run-option handler sets them.
//   option 0: SingleRun, InfinitePopulation   (one run, N infinite)
//   option 1: SingleRun                       (one run, N finite)
//   option 2: LoopOverSK, InfinitePopulation  (loop over S and K)
//   option 3: LoopOverLog10N                  (loop over Log10(N))
struct RunMode {
  bool SingleRun = false;
  bool InfinitePopulation = false;
  bool LoopOverSK = false;
  bool LoopOverLog10N = false;
};

}  // namespace recmod
