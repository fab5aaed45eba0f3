#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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

// One kind of start, as the window's run options offer them: the one table
// from which the flags an option sets, its name on the command line and in
// records, whether its population is finite and which report files it writes
// are all read.
struct RunKind {
  int option;             // the index of the window's run option (Option1)
  std::string_view name;  // --mode and the run record
  RunMode flags;          // as Option1_GotFocus sets them
  StartKind kind;
  bool finitePopulation;
  // The report files it writes: "ReportFilen.txt" for n from firstReport to lastReport.
  int firstReport;
  int lastReport;
};

inline constexpr std::array<RunKind, 4> kRunKinds = {{
    {0,
     "single-infinite",
     {.SingleRun = true, .InfinitePopulation = true},
     StartKind::SingleRun,
     false,
     1,
     1},
    {1, "single-finite", {.SingleRun = true}, StartKind::SingleRun, true, 1, 1},
    {2,
     "loop-sk",
     {.InfinitePopulation = true, .LoopOverSK = true},
     StartKind::LoopOverSK,
     false,
     2,
     2},
    {3, "loop-log10n", {.LoopOverLog10N = true}, StartKind::LoopOverLog10N, true, 2, 3},
}};

// The kind of run option `option`, or of the start these flags make; nullptr
// for an index outside 0..3 or flags that no option sets.
constexpr const RunKind* RunKindOfOption(int option) {
  return option >= 0 && option < static_cast<int>(kRunKinds.size())
             ? &kRunKinds[static_cast<std::size_t>(option)]
             : nullptr;
}
constexpr const RunKind* RunKindOf(const RunMode& mode) {
  for (const RunKind& kind : kRunKinds) {
    const RunMode& f = kind.flags;
    if (f.SingleRun == mode.SingleRun && f.InfinitePopulation == mode.InfinitePopulation &&
        f.LoopOverSK == mode.LoopOverSK && f.LoopOverLog10N == mode.LoopOverLog10N) {
      return &kind;
    }
  }
  return nullptr;
}
constexpr const RunKind* RunKindNamed(std::string_view name) {
  for (const RunKind& kind : kRunKinds) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

}  // namespace recmod
