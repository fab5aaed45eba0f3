// The executors of a loop's runs: whatever the number of threads, positions
// are reached and consumed in loop order, a failing run stops the loop exactly
// where a loop in sequence stops, and only a few runs are ever in flight.
#include "run/LoopExecutor.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "model/RuntimeError.hpp"
#include "parallel/ParallelLoopExecutor.hpp"

namespace recmod {
namespace {

// What the loop's functions saw, in the order they were called.
struct LoopLog {
  std::vector<std::int64_t> reached;
  std::vector<std::int64_t> consumed;
  std::vector<double> results;
  std::atomic<int> inOrderedCall{0};
  bool orderedCallsOverlapped = false;

  void EnterOrdered() {
    if (inOrderedCall.fetch_add(1) != 0) orderedCallsOverlapped = true;
  }
  void LeaveOrdered() { inOrderedCall.fetch_sub(1); }
};

// A result that only its position determines, after some work whose length
// varies from position to position, so that parallel runs complete out of
// order.
double WorkAt(std::int64_t position) {
  const auto spin = std::chrono::microseconds((position * 7919) % 23 * 40);
  const auto until = std::chrono::steady_clock::now() + spin;
  while (std::chrono::steady_clock::now() < until) {
  }
  return std::sqrt(static_cast<double>(position)) + 0.25;
}

LoopBody LoggingBody(LoopLog& log, std::function<double(std::int64_t, Engine&)> run) {
  LoopBody body;
  body.reach = [&log](std::int64_t position) {
    log.EnterOrdered();
    log.reached.push_back(position);
    log.LeaveOrdered();
  };
  body.run = [run = std::move(run)](std::int64_t position, Engine& engine) {
    return RunEnd{.rPlus = run(position, engine)};
  };
  body.consume = [&log](std::int64_t position, const RunEnd& end) {
    const double result = end.rPlus;
    log.EnterOrdered();
    log.consumed.push_back(position);
    log.results.push_back(result);
    log.LeaveOrdered();
  };
  return body;
}

std::vector<std::int64_t> Positions(std::int64_t count) {
  std::vector<std::int64_t> positions;
  for (std::int64_t p = 0; p < count; ++p) positions.push_back(p);
  return positions;
}

class EveryExecutor : public ::testing::TestWithParam<int> {
 protected:
  std::unique_ptr<LoopExecutor> executor = MakeLoopExecutor(GetParam());
};

TEST_P(EveryExecutor, ReachesAndConsumesEveryPositionInOrder) {
  constexpr std::int64_t kRuns = 150;
  LoopLog log;
  Engine master;
  executor->Execute(kRuns, master,
                    LoggingBody(log, [](std::int64_t p, Engine&) { return WorkAt(p); }));
  EXPECT_EQ(log.reached, Positions(kRuns));
  EXPECT_EQ(log.consumed, Positions(kRuns));
  for (std::int64_t p = 0; p < kRuns; ++p) {
    EXPECT_EQ(log.results[static_cast<std::size_t>(p)], std::sqrt(static_cast<double>(p)) + 0.25);
  }
  EXPECT_FALSE(log.orderedCallsOverlapped) << "reach and consume run one at a time";

  // No runs: nothing is called.
  LoopLog empty;
  executor->Execute(0, master, LoggingBody(empty, [](std::int64_t, Engine&) -> double {
                      ADD_FAILURE() << "a run of an empty loop";
                      return 0.0;
                    }));
  EXPECT_TRUE(empty.reached.empty());
}

TEST_P(EveryExecutor, AFailingRunStopsTheLoopWhereASequenceStops) {
  constexpr std::int64_t kFailing = 37;
  LoopLog log;
  Engine master;
  auto run = [](std::int64_t p, Engine&) {
    const double result = WorkAt(p);
    if (p == kFailing || p == kFailing + 2) {
      throw RuntimeError(ErrorKind::EmptyDeme, "run " + std::to_string(p));
    }
    return result;
  };
  try {
    executor->Execute(100, master, LoggingBody(log, run));
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::EmptyDeme);
    EXPECT_EQ(error.detail(), "run 37") << "the first failure in loop order";
  }
  EXPECT_EQ(log.consumed, Positions(kFailing));
  EXPECT_EQ(log.reached, Positions(kFailing + 1)) << "the failing position is reached";

  // A stop request travels the same way, and so does a failure of consume.
  LoopLog stopped;
  EXPECT_THROW(executor->Execute(50, master,
                                 LoggingBody(stopped,
                                             [](std::int64_t p, Engine&) -> double {
                                               if (p >= 12) throw StartStopped{};
                                               return WorkAt(p);
                                             })),
               StartStopped);
  EXPECT_EQ(stopped.consumed, Positions(12));

  LoopBody failingConsume;
  std::vector<std::int64_t> consumed;
  failingConsume.reach = [](std::int64_t) {};
  failingConsume.run = [](std::int64_t p, Engine&) { return RunEnd{.rPlus = WorkAt(p)}; };
  failingConsume.consume = [&consumed](std::int64_t p, const RunEnd&) {
    if (p == 20) throw RuntimeError(ErrorKind::FileError, "disk full");
    consumed.push_back(p);
  };
  EXPECT_THROW(executor->Execute(60, master, failingConsume), RuntimeError);
  EXPECT_EQ(consumed, Positions(20));
}

TEST_P(EveryExecutor, RunsSeeTheMasterAsItStoodOrItself) {
  Engine master;
  master.params.S = 0.5;
  std::vector<double> seen;
  std::mutex guard;
  LoopBody body;
  body.reach = [](std::int64_t) {};
  body.run = [&](std::int64_t, Engine& engine) {
    const double s = engine.params.S;
    engine.params.S = s + 1.0;  // a run changes its engine
    std::lock_guard lock(guard);
    seen.push_back(s);
    return RunEnd{.rPlus = s};
  };
  body.consume = [&](std::int64_t, const RunEnd&) { master.params.K = master.params.K + 1.0; };
  executor->Execute(20, master, body);
  ASSERT_EQ(seen.size(), 20U);
  EXPECT_EQ(master.params.K, 20.0) << "consume may change the master";
  if (executor->RunsOnCallingThread()) {
    // In sequence every run continues from the state the one before left.
    std::sort(seen.begin(), seen.end());
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], 0.5 + static_cast<double>(i));
    EXPECT_EQ(master.params.S, 20.5);
  } else {
    // In parallel every run starts from the engine of before the loop.
    for (const double s : seen) EXPECT_EQ(s, 0.5);
    EXPECT_EQ(master.params.S, 0.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Threads, EveryExecutor, ::testing::Values(1, 2, 3, 8),
                         [](const auto& param) { return std::to_string(param.param) + "threads"; });

TEST(ParallelLoopExecutor, RunsSideBySideButOnlyAFewAtATime) {
  constexpr int kThreads = 3;
  ParallelLoopExecutor executor(kThreads);
  std::atomic<std::int64_t> highestStarted{-1};
  std::atomic<int> running{0};
  std::atomic<int> mostRunning{0};
  std::int64_t mostAhead = 0;
  LoopBody body;
  body.reach = [](std::int64_t) {};
  body.run = [&](std::int64_t p, Engine&) {
    const int now = running.fetch_add(1) + 1;
    int most = mostRunning.load();
    while (now > most && !mostRunning.compare_exchange_weak(most, now)) {
    }
    std::int64_t highest = highestStarted.load();
    while (p > highest && !highestStarted.compare_exchange_weak(highest, p)) {
    }
    // Position 5 is slow: the loop must wait for it rather than run ahead.
    if (p == 5) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double result = WorkAt(p);
    running.fetch_sub(1);
    return RunEnd{.rPlus = result};
  };
  body.consume = [&](std::int64_t p, const RunEnd&) {
    mostAhead = std::max(mostAhead, highestStarted.load() - p);
  };
  executor.Execute(300, *std::make_unique<Engine>(), body);
  EXPECT_LE(mostRunning.load(), kThreads);
  // While position 5 waits, other runs go on beside it.
  EXPECT_GE(mostRunning.load(), 2);
  // Runs started but not yet consumed: bounded by the runs in flight.
  EXPECT_LE(mostAhead, 3 * kThreads);
}

}  // namespace
}  // namespace recmod
