#pragma once

#include <memory>

#include "run/LoopExecutor.hpp"

namespace recmod {

// Runs spread over a fixed number of threads with a pipeline: positions are
// handed out in order, runs go in parallel, each on its own copy of the
// master engine, and their results are reached and consumed strictly in
// loop order as they complete. At most a few runs per thread are in flight,
// so memory stays flat however long the loop. A run's exception travels with
// its position and is raised when the loop reaches it; runs already started
// after it finish unseen, and no further run starts.
class ParallelLoopExecutor final : public LoopExecutor {
 public:
  explicit ParallelLoopExecutor(int threads);
  bool RunsOnCallingThread() const override { return false; }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override;
  int threads() const { return threads_; }

 private:
  int threads_;
};

// Starts the worker threads of `threads`-thread loops in the background: the
// scheduler's first start (its allocator loaded, its threads created) takes
// milliseconds that a short start would otherwise spend before its first
// run. Calling it is never required; later calls do nothing.
void PrepareThreads(int threads);

// The executor for `threads` threads: the sequential one for 1 (or less),
// otherwise runs spread over that many threads.
std::unique_ptr<LoopExecutor> MakeLoopExecutor(int threads);

}  // namespace recmod
