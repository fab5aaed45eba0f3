#include "run/LoopExecutor.hpp"
#include "run/Engine.hpp"
#include "run/LoopWorker.hpp"

#include <algorithm>

namespace recmod {

void ResetForRun(Engine& engine, const Engine& prepared) {
  static_cast<RunContext&>(engine) = prepared;
  engine.population.AlleleFreqTable = prepared.population.AlleleFreqTable;
}

EngineCopy::EngineCopy(const Engine& engine) : engine_(std::make_unique<Engine>(engine)) {}
EngineCopy::~EngineCopy() = default;
EngineCopy::EngineCopy(EngineCopy&&) noexcept = default;
EngineCopy& EngineCopy::operator=(EngineCopy&&) noexcept = default;

LoopWorker::LoopWorker(const Engine& prepared) : single(prepared) {}
LoopWorker::~LoopWorker() = default;
LoopWorker::LoopWorker(LoopWorker&&) noexcept = default;

void RunBatchOfLoop(const LoopBody& body, const Engine& prepared, LoopWorker& worker,
                    BatchOfRuns& batch) {
  batch.results.assign(static_cast<std::size_t>(std::max(batch.count, body.batchSize)), RunEnd{});
  batch.failedAt = -1;
  batch.failure = nullptr;
  if (body.runBatch) {
    worker.lanes.resize(static_cast<std::size_t>(body.batchSize));
    for (Engine& lane : worker.lanes) ResetForRun(lane, prepared);
    try {
      if (body.runBatch(batch.first, batch.count, worker.lanes, batch.results)) return;
    } catch (...) {
      batch.failedAt = 0;
      batch.failure = std::current_exception();
      return;
    }
  }
  for (int i = 0; i < batch.count; ++i) {
    try {
      ResetForRun(worker.single.get(), prepared);
      batch.results[static_cast<std::size_t>(i)] = body.run(batch.first + i, worker.single.get());
    } catch (...) {
      batch.failedAt = i;
      batch.failure = std::current_exception();
      return;
    }
  }
}

void SequentialLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  if (!body.runBatch) {
    for (std::int64_t position = 0; position < runCount; ++position) {
      body.reach(position);
      const RunEnd result = body.run(position, master);
      body.consume(position, result);
    }
    return;
  }
  const Engine prepared = master;
  std::vector<Engine> lanes(static_cast<std::size_t>(body.batchSize));
  std::vector<RunEnd> results(lanes.size());
  for (std::int64_t first = 0; first < runCount; first += body.batchSize) {
    const int count = static_cast<int>(std::min<std::int64_t>(body.batchSize, runCount - first));
    for (Engine& lane : lanes) ResetForRun(lane, prepared);
    bool sideBySide = false;
    try {
      sideBySide = body.runBatch(first, count, lanes, results);
    } catch (...) {
      body.reach(first);
      throw;
    }
    for (int i = 0; i < count; ++i) {
      const std::int64_t position = first + i;
      body.reach(position);
      const RunEnd result =
          sideBySide ? results[static_cast<std::size_t>(i)] : body.run(position, master);
      body.consume(position, result);
    }
  }
}

}  // namespace recmod
