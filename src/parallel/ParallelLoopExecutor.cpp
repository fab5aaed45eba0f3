#include "parallel/ParallelLoopExecutor.hpp"

#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_pipeline.h>
#include <oneapi/tbb/task_arena.h>

#include <atomic>
#include <exception>

namespace recmod {

namespace {

// Runs in flight per thread: enough to keep every thread busy while the
// ordered output waits for a slow run, few enough to keep memory flat.
constexpr int kRunsInFlightPerThread = 3;

struct RunToken {
  std::int64_t position = 0;
  double result = 0.0;
  std::exception_ptr failure;  // what the run threw, raised in loop order
};

// Everything of the prepared engine but the frequency table.
void PrepareRunEngine(Engine& engine, const Engine& prepared) {
  engine.params = prepared.params;
  engine.tables = prepared.tables;
  engine.mutation = prepared.mutation;
  engine.draw = prepared.draw;
  engine.recorder = prepared.recorder;
  engine.Generation = prepared.Generation;
  engine.InitialStateRejected = prepared.InitialStateRejected;
  engine.population.AlleleFreqTable = prepared.population.AlleleFreqTable;
}

}  // namespace

ParallelLoopExecutor::ParallelLoopExecutor(int threads) : threads_(threads < 1 ? 1 : threads) {}

void ParallelLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  // Runs copy the engine as it stood before the loop; reach and consume may
  // change the master meanwhile.
  const Engine prepared = master;
  oneapi::tbb::enumerable_thread_specific<Engine> engines(prepared);
  std::int64_t next = 0;
  std::atomic<bool> abandoned{false};
  std::exception_ptr failure;

  auto handOut = [&](oneapi::tbb::flow_control& control) -> std::int64_t {
    if (next >= runCount || abandoned.load(std::memory_order_relaxed)) {
      control.stop();
      return 0;
    }
    return next++;
  };
  auto runOne = [&](std::int64_t position) -> RunToken {
    RunToken token;
    token.position = position;
    if (abandoned.load(std::memory_order_relaxed)) return token;
    try {
      // Every run starts from the prepared engine. The frequency table is
      // left as the thread's previous run left it: a run rebuilds it before
      // reading it, and copying it (most of the engine's size) for every run
      // of a short loop costs more than the run's own start.
      Engine& engine = engines.local();
      PrepareRunEngine(engine, prepared);
      token.result = body.run(position, engine);
    } catch (...) {
      token.failure = std::current_exception();
    }
    return token;
  };
  auto deliver = [&](const RunToken& token) {
    if (abandoned.load(std::memory_order_relaxed)) return;
    try {
      body.reach(token.position);
      if (token.failure) std::rethrow_exception(token.failure);
      body.consume(token.position, token.result);
    } catch (...) {
      failure = std::current_exception();
      abandoned.store(true, std::memory_order_relaxed);
    }
  };

  // Allows more threads than cores when asked for (the scheduler's default
  // limit is the number of cores).
  const oneapi::tbb::global_control allowed(oneapi::tbb::global_control::max_allowed_parallelism,
                                            static_cast<std::size_t>(threads_));
  oneapi::tbb::task_arena arena(threads_);
  arena.execute([&] {
    oneapi::tbb::parallel_pipeline(static_cast<std::size_t>(threads_) * kRunsInFlightPerThread,
                                   oneapi::tbb::make_filter<void, std::int64_t>(
                                       oneapi::tbb::filter_mode::serial_in_order, handOut) &
                                       oneapi::tbb::make_filter<std::int64_t, RunToken>(
                                           oneapi::tbb::filter_mode::parallel, runOne) &
                                       oneapi::tbb::make_filter<RunToken, void>(
                                           oneapi::tbb::filter_mode::serial_in_order, deliver));
  });
  if (failure) std::rethrow_exception(failure);
}

std::unique_ptr<LoopExecutor> MakeLoopExecutor(int threads) {
  if (threads <= 1) return std::make_unique<SequentialLoopExecutor>();
  return std::make_unique<ParallelLoopExecutor>(threads);
}

}  // namespace recmod
