// Executors handing out positions in batches run side by side: a declined
// batch goes one run at a time, and a failure (of a run, or a stop inside a
// batch) ends the loop where a loop in sequence ends, whatever the threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "model/RuntimeError.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "run/LoopExecutor.hpp"

namespace recmod {
namespace {

constexpr int kBatch = 4;

double ResultOf(std::int64_t position) {
  return std::sqrt(static_cast<double>(position)) + 0.25;
}

std::vector<std::int64_t> Positions(std::int64_t count) {
  std::vector<std::int64_t> positions;
  for (std::int64_t p = 0; p < count; ++p) positions.push_back(p);
  return positions;
}

// A loop body whose batches go side by side unless they hold `declinedAt`
// (then its runs go one at a time, and the run at `failingAt` throws), and
// whose batch starting at `stoppedAt` is stopped.
struct BatchedLoop {
  std::int64_t declinedAt = -1;
  std::int64_t failingAt = -1;
  std::int64_t stoppedAt = -1;
  std::vector<std::int64_t> reached;
  std::vector<std::int64_t> consumed;
  std::vector<double> results;
  std::vector<std::int64_t> ranAlone;
  std::mutex guard;
  bool wrongLanes = false;

  LoopBody Body() {
    LoopBody body;
    body.batchSize = kBatch;
    body.reach = [this](std::int64_t p) { reached.push_back(p); };
    body.consume = [this](std::int64_t p, const RunEnd& result) {
      consumed.push_back(p);
      results.push_back(result.rPlus);
    };
    body.run = [this](std::int64_t p, Engine&) {
      {
        std::lock_guard lock(guard);
        ranAlone.push_back(p);
      }
      if (p == failingAt) throw RuntimeError(ErrorKind::EmptyDeme, "run " + std::to_string(p));
      return RunEnd{.rPlus = ResultOf(p)};
    };
    body.runBatch = [this](std::int64_t first, int count, std::span<Engine> lanes,
                           std::span<RunEnd> out) {
      if (lanes.size() != kBatch || count < 1 || count > kBatch) wrongLanes = true;
      if (first == stoppedAt) throw StartStopped{};
      if (declinedAt >= first && declinedAt < first + count) return false;
      for (int i = 0; i < count; ++i)
        out[static_cast<std::size_t>(i)] = RunEnd{.rPlus = ResultOf(first + i)};
      return true;
    };
    return body;
  }
};

class BatchedExecutor : public ::testing::TestWithParam<int> {
 protected:
  std::unique_ptr<LoopExecutor> executor = MakeLoopExecutor(GetParam());
  Engine master;
};

TEST_P(BatchedExecutor, ADeclinedBatchRunsAloneAndTheLoopStaysInOrder) {
  BatchedLoop loop;
  loop.declinedAt = 9;
  executor->Execute(23, master, loop.Body());
  EXPECT_EQ(loop.reached, Positions(23));
  EXPECT_EQ(loop.consumed, Positions(23));
  for (std::int64_t p = 0; p < 23; ++p) {
    EXPECT_EQ(loop.results[static_cast<std::size_t>(p)], ResultOf(p));
  }
  std::sort(loop.ranAlone.begin(), loop.ranAlone.end());
  EXPECT_EQ(loop.ranAlone, (std::vector<std::int64_t>{8, 9, 10, 11})) << "only the declined batch";
  EXPECT_FALSE(loop.wrongLanes) << "every batch gets batchSize lanes and 1..batchSize runs";
}

TEST_P(BatchedExecutor, AFailureInsideABatchEndsTheLoopAtItsPosition) {
  BatchedLoop failing;
  failing.declinedAt = 13;
  failing.failingAt = 14;
  try {
    executor->Execute(40, master, failing.Body());
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.detail(), "run 14");
  }
  EXPECT_EQ(failing.reached, Positions(15)) << "the failing position is reached";
  EXPECT_EQ(failing.consumed, Positions(14)) << "nothing after it is consumed";

  BatchedLoop stopped;
  stopped.stoppedAt = 12;
  EXPECT_THROW(executor->Execute(40, master, stopped.Body()), StartStopped);
  EXPECT_EQ(stopped.reached, Positions(13));
  EXPECT_EQ(stopped.consumed, Positions(12));
}

INSTANTIATE_TEST_SUITE_P(Threads, BatchedExecutor, ::testing::Values(1, 2, 3),
                         [](const auto& param) { return std::to_string(param.param) + "threads"; });

}  // namespace
}  // namespace recmod
