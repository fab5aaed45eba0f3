// Spreading the runs of a loop in blocks: whoever takes blocks and in
// whatever order their results come back, they leave in loop order, a failure
// stops the loop where a sequence stops, and the results held for ordering
// stay within the window of blocks in flight.
#include "RunBlockScheduler.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "LoopBlock.hpp"

namespace recmod::batch {
namespace {

// A result of every kind, so that the whole of it is seen to travel.
RunEnd ValueAt(std::int64_t position) {
  const bool fixed = position % 3 == 0;
  return {std::sqrt(static_cast<double>(position)) + 0.125,
          fixed ? RunOutcome::Fixed : RunOutcome::Segregating,
          static_cast<std::int16_t>(fixed ? position % 100 : -1)};
}

BlockResults ResultsOf(const RunBlock& block) {
  BlockResults results;
  results.first = block.first;
  for (std::int64_t p = block.first; p < block.first + block.count; ++p) {
    results.values.push_back(ValueAt(p));
  }
  return results;
}

TEST(RunBlockScheduler, ResultsPostedInAnyOrderLeaveInLoopOrder) {
  constexpr std::int64_t kRuns = 1000;
  constexpr int kWindow = 6;
  RunBlockScheduler scheduler(kRuns, kWindow);
  // Four takers with blocks of different sizes and random delays, like ranks
  // of different speeds.
  std::vector<std::thread> takers;
  std::atomic<std::int64_t> handedOut{0};
  for (int taker = 0; taker < 4; ++taker) {
    takers.emplace_back([&, taker] {
      std::mt19937 random(static_cast<unsigned>(taker));
      while (const auto block = scheduler.TakeWaiting(1 + taker * 3)) {
        handedOut += block->count;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
        scheduler.Post(ResultsOf(*block));
      }
    });
  }
  std::vector<std::int64_t> positions;
  while (!scheduler.AllDelivered()) {
    if (const auto outcome = scheduler.PopNext()) {
      EXPECT_FALSE(outcome->failure);
      EXPECT_EQ(outcome->value, ValueAt(outcome->position));
      positions.push_back(outcome->position);
    } else {
      scheduler.WaitForNext(std::chrono::microseconds(500));
    }
  }
  for (std::thread& taker : takers) taker.join();
  ASSERT_EQ(positions.size(), static_cast<std::size_t>(kRuns));
  for (std::int64_t p = 0; p < kRuns; ++p) EXPECT_EQ(positions[static_cast<std::size_t>(p)], p);
  EXPECT_EQ(handedOut.load(), kRuns) << "every run handed out once";
  // At most the window's blocks of the largest size (10 runs) are ever held.
  EXPECT_LE(scheduler.MostHeld(), static_cast<std::size_t>(kWindow * 10));
}

TEST(RunBlockScheduler, ASlowBlockHoldsTheOthersBackByTheWindowOnly) {
  RunBlockScheduler scheduler(10000, 4);
  RunBlock slow;
  ASSERT_EQ(scheduler.TryTake(5, slow), RunBlockScheduler::Take::Block);
  EXPECT_EQ(slow.first, 0);
  EXPECT_EQ(slow.count, 5);
  // Three more blocks fit in the window; they come back, but must wait.
  for (int i = 0; i < 3; ++i) {
    RunBlock block;
    ASSERT_EQ(scheduler.TryTake(5, block), RunBlockScheduler::Take::Block);
    EXPECT_EQ(block.first, 5 * (i + 1));
    scheduler.Post(ResultsOf(block));
  }
  RunBlock refused;
  EXPECT_EQ(scheduler.TryTake(5, refused), RunBlockScheduler::Take::Wait);
  EXPECT_FALSE(scheduler.PopNext()) << "position 0 has not come back";
  EXPECT_EQ(scheduler.MostHeld(), 15U);

  // The slow block comes back: all 20 positions leave, and blocks go out again.
  scheduler.Post(ResultsOf(slow));
  for (std::int64_t p = 0; p < 20; ++p) {
    const auto outcome = scheduler.PopNext();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->position, p);
  }
  RunBlock next;
  EXPECT_EQ(scheduler.TryTake(5, next), RunBlockScheduler::Take::Block);
  EXPECT_EQ(next.first, 20);

  // A waiting taker wakes when the window frees or the loop is abandoned.
  std::thread waiting([&] {
    for (int i = 0; i < 3; ++i) scheduler.TakeWaiting(1);  // fills the window
    EXPECT_FALSE(scheduler.TakeWaiting(1)) << "abandoned while waiting";
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  scheduler.Abandon();
  waiting.join();
  EXPECT_EQ(scheduler.TryTake(5, next), RunBlockScheduler::Take::Finished);
}

TEST(RunBlockScheduler, TheLastBlockIsShortAndAnEmptyLoopHasNone) {
  RunBlockScheduler scheduler(7, 8);
  RunBlock block;
  ASSERT_EQ(scheduler.TryTake(5, block), RunBlockScheduler::Take::Block);
  ASSERT_EQ(scheduler.TryTake(5, block), RunBlockScheduler::Take::Block);
  EXPECT_EQ(block.first, 5);
  EXPECT_EQ(block.count, 2);
  EXPECT_EQ(scheduler.TryTake(5, block), RunBlockScheduler::Take::Finished);

  RunBlockScheduler empty(0, 8);
  EXPECT_TRUE(empty.AllDelivered());
  EXPECT_EQ(empty.TryTake(5, block), RunBlockScheduler::Take::Finished);
  EXPECT_FALSE(empty.TakeWaiting(5));
}

TEST(RunBlockScheduler, AFailureLeavesAfterTheRunsBeforeIt) {
  RunBlockScheduler scheduler(20, 4);
  RunBlock first;
  RunBlock second;
  scheduler.TryTake(10, first);
  scheduler.TryTake(10, second);
  BlockResults failing;
  failing.first = 10;
  failing.values = {ValueAt(10), ValueAt(11), ValueAt(12)};
  failing.failure = RunFailure{RunFailure::Type::RuntimeError, ErrorKind::EmptyDeme, "x", 2};
  scheduler.Post(failing);
  scheduler.Post(ResultsOf(first));
  for (std::int64_t p = 0; p < 13; ++p) {
    const auto outcome = scheduler.PopNext();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->position, p);
    EXPECT_FALSE(outcome->failure);
  }
  const auto failed = scheduler.PopNext();
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->position, 13);
  ASSERT_TRUE(failed->failure);
  EXPECT_EQ(failed->failure->rank, 2);
  EXPECT_FALSE(scheduler.PopNext());
}

TEST(BlockSizer, BlocksLastAboutATenthOfASecondWithinTheirBounds) {
  BlockSizer sizer(2);
  EXPECT_EQ(sizer.size(), 2) << "one run per thread to begin with";
  // Runs of a millisecond: the block grows, four times at most per step, up
  // to 100 runs, never past 256 per thread.
  sizer.Finished(2, 0.002);
  EXPECT_EQ(sizer.size(), 8);
  sizer.Finished(8, 0.008);
  EXPECT_EQ(sizer.size(), 32);
  sizer.Finished(32, 0.032);
  EXPECT_EQ(sizer.size(), 100);
  sizer.Finished(100, 0.1);
  EXPECT_EQ(sizer.size(), 100);
  sizer.Finished(100, 1e-6);
  sizer.Finished(400, 4e-6);
  EXPECT_EQ(sizer.size(), 512);
  // A block that took no measurable time changes nothing; slow runs bring
  // the block down to one run per thread at once.
  sizer.Finished(512, 0.0);
  EXPECT_EQ(sizer.size(), 512);
  sizer.Finished(512, 51.2);
  EXPECT_EQ(sizer.size(), 2);
  EXPECT_EQ(BlockSizer(0).size(), 1);
}

// A body whose runs change their engine and fail at chosen positions.
LoopBody CountingBody(std::vector<std::int64_t> failing) {
  LoopBody body;
  body.reach = [](std::int64_t) { ADD_FAILURE() << "a block never reaches"; };
  body.consume = [](std::int64_t, const RunEnd&) { ADD_FAILURE() << "a block never consumes"; };
  body.run = [failing](std::int64_t p, Engine& engine) {
    const double s = engine.params.S;
    engine.params.S = s + 1.0;
    for (const std::int64_t f : failing) {
      if (p == f) throw RuntimeError(ErrorKind::Overflow, "run " + std::to_string(p));
    }
    return RunEnd{.rPlus = s + static_cast<double>(p)};
  };
  return body;
}

TEST(RunBlockOfLoop, EveryRunStartsFromThePreparedEngineAndStopsAtTheFirstFailure) {
  Engine prepared;
  prepared.params.S = 0.5;
  for (const int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    const BlockResults whole =
        RunBlockOfLoop(prepared, CountingBody({}), RunBlock{40, 12}, threads, 4);
    EXPECT_EQ(whole.first, 40);
    ASSERT_EQ(whole.values.size(), 12U);
    for (std::size_t i = 0; i < 12; ++i) {
      EXPECT_EQ(whole.values[i].rPlus, 0.5 + 40.0 + static_cast<double>(i))
          << "a fresh engine per run";
    }
    EXPECT_FALSE(whole.failure);

    const BlockResults failed =
        RunBlockOfLoop(prepared, CountingBody({47, 45}), RunBlock{40, 12}, threads, 4);
    EXPECT_EQ(failed.values.size(), 5U) << "the runs before the first failure in loop order";
    ASSERT_TRUE(failed.failure);
    EXPECT_EQ(failed.failure->type, RunFailure::Type::RuntimeError);
    EXPECT_EQ(failed.failure->kind, ErrorKind::Overflow);
    EXPECT_EQ(failed.failure->text, "run 45");
    EXPECT_EQ(failed.failure->rank, 4);
  }
  EXPECT_EQ(prepared.params.S, 0.5);
}

TEST(RunBlockOfLoop, FailuresAreRaisedAgainNamingTheRank) {
  const RunFailure error = FailureOf(
      std::make_exception_ptr(RuntimeError(ErrorKind::EmptyDeme, "deme 1 (generation 12)")), 3);
  try {
    RaiseFailure(error);
    ADD_FAILURE() << "nothing raised";
  } catch (const RuntimeError& raised) {
    EXPECT_EQ(raised.kind(), ErrorKind::EmptyDeme);
    EXPECT_STREQ(raised.what(), "Empty deme: deme 1 (generation 12) (rank 3)");
  }
  EXPECT_THROW(RaiseFailure(FailureOf(std::make_exception_ptr(StartStopped{}), 1)), StartStopped);
  try {
    RaiseFailure(FailureOf(std::make_exception_ptr(std::bad_alloc()), 2));
    ADD_FAILURE() << "nothing raised";
  } catch (const std::runtime_error& raised) {
    EXPECT_NE(std::string(raised.what()).find("(rank 2)"), std::string::npos) << raised.what();
  }
}

}  // namespace
}  // namespace recmod::batch
