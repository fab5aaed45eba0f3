#include "parallel/ParallelLoopExecutor.hpp"
#include "run/LoopWorker.hpp"

#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_pipeline.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>

namespace recmod {

namespace {

// Batches in flight per thread: enough to keep every thread busy while the
// ordered output waits for a slow batch, few enough to keep memory flat.
constexpr int kBatchesInFlightPerThread = 3;

}  // namespace

ParallelLoopExecutor::ParallelLoopExecutor(int threads) : threads_(threads < 1 ? 1 : threads) {}

void ParallelLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  // Runs copy the engine as it stood before the loop; reach and consume may
  // change the master meanwhile.
  const EngineCopy prepared(master);
  oneapi::tbb::enumerable_thread_specific<LoopWorker> workers(
      [&] { return LoopWorker(prepared.get()); });
  const std::int64_t batchSize = body.batchSize < 1 ? 1 : body.batchSize;
  std::int64_t next = 0;
  std::atomic<bool> abandoned{false};
  std::exception_ptr failure;

  auto handOut = [&](oneapi::tbb::flow_control& control) -> BatchOfRuns {
    BatchOfRuns batch;
    if (next >= runCount || abandoned.load(std::memory_order_relaxed)) {
      control.stop();
      return batch;
    }
    batch.first = next;
    batch.count = static_cast<int>(std::min(batchSize, runCount - next));
    next += batch.count;
    return batch;
  };
  auto runBatch = [&](BatchOfRuns batch) -> BatchOfRuns {
    if (!abandoned.load(std::memory_order_relaxed)) {
      RunBatchOfLoop(body, prepared.get(), workers.local(), batch);
    }
    return batch;
  };
  auto deliver = [&](const BatchOfRuns& batch) {
    for (int i = 0; i < batch.count && !abandoned.load(std::memory_order_relaxed); ++i) {
      try {
        const std::int64_t position = batch.first + i;
        body.reach(position);
        if (i == batch.failedAt) std::rethrow_exception(batch.failure);
        body.consume(position, batch.results[static_cast<std::size_t>(i)]);
      } catch (...) {
        failure = std::current_exception();
        abandoned.store(true, std::memory_order_relaxed);
      }
    }
  };

  // Allows more threads than cores when asked for (the scheduler's default
  // limit is the number of cores).
  const oneapi::tbb::global_control allowed(oneapi::tbb::global_control::max_allowed_parallelism,
                                            static_cast<std::size_t>(threads_));
  oneapi::tbb::task_arena arena(threads_);
  arena.execute([&] {
    oneapi::tbb::parallel_pipeline(static_cast<std::size_t>(threads_) * kBatchesInFlightPerThread,
                                   oneapi::tbb::make_filter<void, BatchOfRuns>(
                                       oneapi::tbb::filter_mode::serial_in_order, handOut) &
                                       oneapi::tbb::make_filter<BatchOfRuns, BatchOfRuns>(
                                           oneapi::tbb::filter_mode::parallel, runBatch) &
                                       oneapi::tbb::make_filter<BatchOfRuns, void>(
                                           oneapi::tbb::filter_mode::serial_in_order, deliver));
  });
  if (failure) std::rethrow_exception(failure);
}

void PrepareThreads(int threads) {
  if (threads <= 1) return;
  // An empty task in an arena of its own wakes the scheduler, which creates
  // its workers while the caller goes on; the arena lives to the end of the
  // program, so that its workers stay. Threads beyond the cores, which the
  // scheduler refuses by default, come when the loop allows them.
  static const auto prepared = [threads] {
    auto arena = std::make_unique<oneapi::tbb::task_arena>(
        std::min(threads, oneapi::tbb::info::default_concurrency()));
    arena->enqueue([] {});
    return arena;
  }();
}

std::unique_ptr<LoopExecutor> MakeLoopExecutor(int threads) {
  if (threads <= 1) return std::make_unique<SequentialLoopExecutor>();
  return std::make_unique<ParallelLoopExecutor>(threads);
}

}  // namespace recmod
