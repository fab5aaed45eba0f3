#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "run/RunEnd.hpp"

namespace recmod {

struct Engine;

// What a loop does at each of its positions 0 .. runCount - 1.
struct LoopBody {
  // The loop arrives at a position: block headers, output fields, the
  // clearing of the plot. Called in loop order, always before the position's
  // result is consumed or its failure raised.
  std::function<void(std::int64_t position)> reach;
  // The run itself, on an Engine the executor provides; returns the run's
  // result or throws (RuntimeError, StartStopped, ...).
  std::function<RunEnd(std::int64_t position, Engine& engine)> run;
  // The run's result: result lines, statistics, progress. Called in loop
  // order, one call at a time.
  std::function<void(std::int64_t position, const RunEnd& result)> consume;
  // Optional: the runs of positions first .. first + count - 1 side by side
  // (count <= batchSize), on `lanes`: batchSize engines, each a copy of the
  // engine as the loop began. Writes their results to results[0 .. count - 1]
  // and returns true, or returns false when the runs must go one at a time
  // through run instead (one of them meets a run-time error, for one). May
  // throw StartStopped. Executors hand out positions in batches of batchSize.
  std::function<bool(std::int64_t first, int count, std::span<Engine> lanes,
                     std::span<RunEnd> results)>
      runBatch;
  int batchSize = 1;
};

// Everything of `prepared` but the frequency table, which every run rebuilds
// before reading it: copying it (most of the engine's size) for every run of a
// short loop costs more than the run's own start.
void ResetForRun(Engine& engine, const Engine& prepared);

// An engine copied onto the heap: the engine as a loop began, kept by an
// executor that hands copies of it to the runs without ever naming its
// members, so that the executors compile without the engine's definition.
class EngineCopy {
 public:
  explicit EngineCopy(const Engine& engine);
  ~EngineCopy();
  EngineCopy(EngineCopy&&) noexcept;
  EngineCopy& operator=(EngineCopy&&) noexcept;

  Engine& get() { return *engine_; }
  const Engine& get() const { return *engine_; }

 private:
  std::unique_ptr<Engine> engine_;
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

  // True when every run happens on the calling thread, as in the window: a
  // run through body.run on `master` itself, continuing from the state the
  // previous one left, a batch through body.runBatch on copies of `master` as
  // it was when Execute began. Otherwise every run and batch gets such copies,
  // and reach and consume may be called from another thread (never two at a
  // time).
  virtual bool RunsOnCallingThread() const = 0;

  virtual void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) = 0;
};

// The runs one after another on the calling thread: reach, run, consume. With
// runBatch, a batch is run side by side first, then each of its positions
// reached and consumed in turn.
class SequentialLoopExecutor final : public LoopExecutor {
 public:
  bool RunsOnCallingThread() const override { return true; }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override;
};

}  // namespace recmod
