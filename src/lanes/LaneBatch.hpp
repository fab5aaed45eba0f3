#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "run/RunMode.hpp"

namespace recmod {

struct Engine;
struct RunInputs;

// What each run of a batch recorded in every generation, for a front end that
// draws every run's curves: the recorded table's R+ and R- entries of deme 1
// (2 x HaplotypeCount numbers per generation).
struct LaneHistory {
  int runs = 0;
  int entries = 0;
  std::int16_t generations = 0;
  std::vector<double> values;  // [run][generation - 1][entry]
  const double* Of(int run, std::int16_t generation) const {
    return values.data() + At(run, generation);
  }
  double* Of(int run, std::int16_t generation) { return values.data() + At(run, generation); }
  // Makes room for `runCount` runs of the given shape.
  void Resize(int runCount, int entryCount, std::int16_t generationCount) {
    runs = runCount;
    entries = entryCount;
    generations = generationCount;
    values.assign(static_cast<std::size_t>(runs) * static_cast<std::size_t>(generations) *
                      static_cast<std::size_t>(entries),
                  0.0);
  }

 private:
  std::size_t At(int run, std::int16_t generation) const {
    return (static_cast<std::size_t>(run) * static_cast<std::size_t>(generations) +
            static_cast<std::size_t>(generation - 1)) *
           static_cast<std::size_t>(entries);
  }
};

// Whether the runs of a loop with these inputs may go side by side: a MaxGen
// from 1 to 32766 and 1 to 100 demes, under either sampling scheme.
// Elsewhere the runs go one at a time. (A batch of exact sampling whose N
// exceeds 2^32, where approximations draw, is left to the scalar engine.)
bool LanesApply(const Engine& prepared, const RunInputs& inputs, const RunMode& mode);

// How a batch ended.
enum class LaneOutcome {
  Finished,      // every run's SexFrequency holds its result
  LeftToScalar,  // a run met a run-time error (or a floating-point flag was
                 // raised, or a message shown): the caller runs the batch's
                 // runs one at a time, which raises the error exactly as
                 // always, at its run and generation
};

// Advances the runs of `lanes` (LaneWidth() engines, each after StartRun)
// through all their generations side by side (when they agree in every
// BatchConstants; otherwise the batch is left to the scalar engine): the operations of
// RunGenerations in the same order for every run, so every run's numbers are
// those it has when run alone, bit for bit. Each run keeps its own stream of
// uniform numbers. Throws StartStopped when *stopRequested turns true after a
// generation. With `history`, keeps every generation's recorded table (of
// its first history.runs runs). A batch with fewer runs than lanes fills the
// rest with copies of its first run, whose results nobody reads: they repeat
// that run exactly, so they raise no error of their own.
LaneOutcome RunLaneBatch(std::span<Engine> lanes, const RunInputs& inputs, const RunMode& mode,
                         const std::atomic<bool>* stopRequested, LaneHistory* history);

}  // namespace recmod
