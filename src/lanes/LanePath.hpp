#pragma once

#include <string>
#include <vector>

namespace recmod {

// The SIMD paths that advance the runs of a loop side by side: 8 runs per
// AVX-512 vector, 4 per AVX2 vector, and one at a time on any other processor.
// Every path gives the same bytes; they differ only in speed. Scalar turns the
// lanes off: every run goes through the scalar engine alone (for comparison).
enum class LanePath { Avx512, Avx2, Baseline, Scalar };

// "avx512", "avx2", "baseline", "scalar": the names RECMOD_SIMD takes.
const char* LanePathName(LanePath path);

// The vector paths this processor can run, fastest first (Scalar, which any
// processor runs, is not among them).
std::vector<LanePath> AvailableLanePaths();

// The path in use: the fastest vector path the processor has (Scalar when it
// has neither AVX-512 nor AVX2), unless RECMOD_SIMD names another. Throws std::runtime_error naming
// the fault when RECMOD_SIMD holds an unknown name or one the processor cannot run; front ends call
// it once at start to report that.
LanePath ActiveLanePath();

// Switches to `path` for the rest of the process (tests and benchmarks);
// throws std::runtime_error when the processor cannot run it.
void UseLanePath(LanePath path);

// The path whose kernel RunLaneBatch calls: the active one, or Baseline when
// the lanes are off (Scalar).
LanePath KernelPath();

// The number of runs a batch of KernelPath() holds.
int LaneWidth();

}  // namespace recmod
