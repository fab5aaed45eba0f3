#include "LoopBlock.hpp"

#include <algorithm>
#include <stdexcept>

#include "parallel/ParallelLoopExecutor.hpp"
#include "run/RunOutputs.hpp"

namespace recmod::batch {

RunFailure FailureOf(const std::exception_ptr& failure, int rank) {
  RunFailure result;
  result.rank = rank;
  try {
    std::rethrow_exception(failure);
  } catch (const RuntimeError& error) {
    result.type = RunFailure::Type::RuntimeError;
    result.kind = error.kind();
    result.text = error.detail();
  } catch (const StartStopped&) {
    result.type = RunFailure::Type::Stopped;
  } catch (const std::exception& error) {
    result.text = error.what();
  } catch (...) {
    result.text = "unknown error";
  }
  return result;
}

void RaiseFailure(const RunFailure& failure) {
  const std::string where = "rank " + std::to_string(failure.rank);
  switch (failure.type) {
    case RunFailure::Type::RuntimeError:
      throw RuntimeError(failure.kind,
                         failure.text.empty() ? where : failure.text + " (" + where + ")");
    case RunFailure::Type::Stopped:
      throw StartStopped{};
    case RunFailure::Type::Other:
      break;
  }
  throw std::runtime_error(failure.text + " (" + where + ")");
}

BlockSizer::BlockSizer(int threads, int batchSize)
    : batch_(std::max(batchSize, 1)),
      least_(std::max(threads, 1) * batch_),
      most_(std::max(threads, 1) * kMostRunsPerThread),
      size_(least_) {}

void BlockSizer::Finished(std::int64_t runs, double seconds) {
  if (runs <= 0 || !(seconds > 0.0)) return;
  const double wanted = kTargetSeconds * static_cast<double>(runs) / seconds;
  // At most four times larger at a step, so that one odd block does not
  // make the next one huge.
  const double bounded = std::min(wanted, 4.0 * static_cast<double>(size_));
  const std::int64_t size = std::clamp(static_cast<std::int64_t>(bounded), least_, most_);
  size_ = std::max(least_, size / batch_ * batch_);
}

BlockResults RunBlockOfLoop(const Engine& prepared, const LoopBody& body, RunBlock block,
                            int threads, int rank) {
  BlockResults results;
  results.first = block.first;
  results.values.reserve(static_cast<std::size_t>(block.count));
  try {
    // The block's runs as a loop of their own, on fresh copies of the
    // prepared engine as on the threads of one process, side by side in
    // batches when the body can.
    LoopBody part;
    part.reach = [](std::int64_t) {};
    part.run = [&](std::int64_t i, Engine& engine) { return body.run(block.first + i, engine); };
    part.consume = [&](std::int64_t, const RunEnd& value) { results.values.push_back(value); };
    if (body.runBatch) {
      part.runBatch = [&](std::int64_t first, int count, std::span<Engine> lanes,
                          std::span<RunEnd> values) {
        return body.runBatch(block.first + first, count, lanes, values);
      };
      part.batchSize = body.batchSize;
    }
    EngineCopy master(prepared);
    ParallelLoopExecutor(threads).Execute(block.count, master.get(), part);
  } catch (...) {
    results.failure = FailureOf(std::current_exception(), rank);
  }
  return results;
}

}  // namespace recmod::batch
