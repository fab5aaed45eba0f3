#pragma once

#include <cstdint>
#include <functional>

#include "control/Engine.hpp"

namespace recmod {

// What a loop does at each of its positions 0 .. runCount - 1.
struct LoopBody {
  // The loop arrives at a position: block headers, output fields, the
  // clearing of the plot. Called in loop order, always before the position's
  // result is consumed or its failure raised.
  std::function<void(std::int64_t position)> reach;
  // The run itself, on an Engine the executor provides; returns the run's
  // result or throws (RuntimeError, StartStopped, ...).
  std::function<double(std::int64_t position, Engine& engine)> run;
  // The run's result: result lines, statistics, progress. Called in loop
  // order, one call at a time.
  std::function<void(std::int64_t position, double result)> consume;
};

// Carries out the runs of a loop. However the runs are spread, the outward
// effect is that of a loop in sequence: reach(p) and consume(p) follow each
// other in the order of p, and when run(p) throws (or consume does), every
// position before p has been consumed, reach(p) has been called, nothing of a
// later position has been reached or consumed, and the exception comes out of
// Execute. A front end that draws each run as it goes needs runs on its own
// thread (RunsOnCallingThread).
class LoopExecutor {
 public:
  virtual ~LoopExecutor() = default;

  // True when every run happens on the calling thread on `master` itself,
  // each run continuing from the state the previous one left, as in the window.
  // Otherwise each run gets a copy of `master` as it was when Execute began,
  // and reach and consume may be called from another thread (never two at a
  // time).
  virtual bool RunsOnCallingThread() const = 0;

  virtual void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) = 0;
};

// The runs one after another on the calling thread: reach, run, consume.
class SequentialLoopExecutor final : public LoopExecutor {
 public:
  bool RunsOnCallingThread() const override { return true; }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override;
};

}  // namespace recmod
