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

// What a start with these flags runs. The flags are read in this order, so a
// combination that no run option sets runs nothing.
enum class StartKind {
  SingleRun,       // one run: ReportFile1.txt
  LoopOverSK,      // N infinite, loop over S and K: ReportFile2.txt
  LoopOverLog10N,  // N finite, loop over Log10(N): ReportFile2.txt and ReportFile3.txt
  Nothing,
};

constexpr StartKind StartKindOf(const RunMode& mode) {
  if (mode.SingleRun) return StartKind::SingleRun;
  if (mode.InfinitePopulation) return mode.LoopOverSK ? StartKind::LoopOverSK : StartKind::Nothing;
  return mode.LoopOverLog10N ? StartKind::LoopOverLog10N : StartKind::Nothing;
}

}  // namespace recmod
