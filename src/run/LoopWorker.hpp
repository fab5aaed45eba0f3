#pragma once

#include <cstdint>
#include <exception>
#include <vector>

#include "run/LoopExecutor.hpp"
#include "run/RunEnd.hpp"

namespace recmod {

// The engines one worker of a loop runs on.
struct LoopWorker {
  explicit LoopWorker(const Engine& prepared);
  ~LoopWorker();
  LoopWorker(LoopWorker&&) noexcept;

  EngineCopy single;
  std::vector<Engine> lanes;
};

// What came of a batch of positions first .. first + count - 1: the results of
// its runs up to the first that failed, and that failure.
struct BatchOfRuns {
  std::int64_t first = 0;
  int count = 0;
  std::vector<RunEnd> results;
  int failedAt = -1;  // index of the failed run, -1 when none failed
  std::exception_ptr failure;
};

// Carries out a batch on `worker`: side by side through body.runBatch when the
// body has it, else (or when it declines) one run at a time through body.run,
// each from a reset copy of `prepared`, up to the first that throws.
void RunBatchOfLoop(const LoopBody& body, const Engine& prepared, LoopWorker& worker,
                    BatchOfRuns& batch);

}  // namespace recmod
