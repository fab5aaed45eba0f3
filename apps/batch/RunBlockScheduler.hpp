#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "LoopBlock.hpp"

namespace recmod::batch {

// Hands out the runs of a loop in blocks to whoever asks first, and gives
// their results back in loop order. Blocks go out only while fewer than
// `maxBlocksInFlight` blocks handed out have not been delivered whole, so a
// slow block holds the others back by at most that many blocks: the results
// held for ordering never grow with the length of the loop. Safe to use
// from several threads.
class RunBlockScheduler {
 public:
  RunBlockScheduler(std::int64_t runCount, int maxBlocksInFlight);

  enum class Take {
    Block,     // `block` holds the next runs
    Wait,      // too many blocks in flight; ask again after a delivery
    Finished,  // every run is handed out, or the loop was abandoned
  };
  // The next block of at most `size` runs, if the window allows.
  Take TryTake(std::int64_t size, RunBlock& block);
  // Like TryTake, but waits while the window is full; nothing when finished.
  std::optional<RunBlock> TakeWaiting(std::int64_t size);

  // The results of a block handed out before.
  void Post(BlockResults results);

  // The next position in loop order whose run has come back: its result,
  // or its failure.
  struct Outcome {
    std::int64_t position = 0;
    RunEnd value;
    std::optional<RunFailure> failure;
  };
  std::optional<Outcome> PopNext();

  // Every position has been popped.
  bool AllDelivered() const;
  // No further block goes out; threads waiting in TakeWaiting return.
  void Abandon();
  // Waits until the next position in loop order has come back (or the loop
  // was abandoned), at most `timeout`.
  void WaitForNext(std::chrono::microseconds timeout);

  // The most outcomes ever held at once, waiting for their turn.
  std::size_t MostHeld() const;

 private:
  bool NextReadyLocked() const;
  RunBlock HandOutLocked(std::int64_t size);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const std::int64_t runCount_;
  const std::size_t maxBlocksInFlight_;
  std::int64_t next_ = 0;               // the first position not yet handed out
  std::int64_t delivered_ = 0;          // the first position not yet popped
  std::deque<std::int64_t> blockEnds_;  // of the blocks out and not yet popped whole
  std::map<std::int64_t, Outcome> held_;
  std::size_t mostHeld_ = 0;
  bool abandoned_ = false;
};

}  // namespace recmod::batch
