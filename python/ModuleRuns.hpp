#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "ModuleSettings.hpp"

namespace recmod::python {

// Shared between a computation and the thread that watches it: how far it
// has come, and the request to stop (honoured after the current generation,
// by StartStopped).
struct RunWatch {
  std::atomic<std::int64_t> done{0};
  std::atomic<std::int64_t> total{0};
  std::atomic<bool> stop{false};
};

// One run (mode 0 or, `finite`, mode 1). The frequencies of the recorded
// table after every generation, generation 0 the start: (MaxGen + 1) x 2 x
// haplotypes values, class R+ before R-, not cumulative.
struct SingleRunResult {
  std::vector<double> frequencies;
  int haplotypes = 0;
  double rplus = 0.0;
};
SingleRunResult ComputeRun(const ModuleSettings& settings, bool finite,
                           const std::optional<std::uint64_t>& seed, RunWatch& watch);

// The final R+ frequency of every (S, K), S-major, as the loop over S and K
// computes it.
std::vector<double> ComputeSweepSK(const ModuleSettings& settings, const std::vector<double>& S,
                                   const std::vector<double>& K, int threads, RunWatch& watch);

// The final R+ frequency of `iterations` runs at each Log10(N), run-major
// within a size, seeded from `seed` and the run's position in the sweep.
std::vector<double> ComputeSweepLog10N(const ModuleSettings& settings,
                                       const std::vector<float>& log10n, int iterations,
                                       std::uint64_t seed, int threads, RunWatch& watch);

// A seed for a start without one.
std::uint64_t DrawSeed();

}  // namespace recmod::python
