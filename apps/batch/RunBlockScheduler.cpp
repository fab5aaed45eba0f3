#include "RunBlockScheduler.hpp"

#include <algorithm>

namespace recmod::batch {

RunBlockScheduler::RunBlockScheduler(std::int64_t runCount, int maxBlocksInFlight)
    : runCount_(std::max<std::int64_t>(runCount, 0)),
      maxBlocksInFlight_(static_cast<std::size_t>(std::max(maxBlocksInFlight, 1))) {}

RunBlock RunBlockScheduler::HandOutLocked(std::int64_t size) {
  RunBlock block;
  block.first = next_;
  block.count = std::min(std::max<std::int64_t>(size, 1), runCount_ - next_);
  next_ += block.count;
  blockEnds_.push_back(next_);
  return block;
}

RunBlockScheduler::Take RunBlockScheduler::TryTake(std::int64_t size, RunBlock& block) {
  std::lock_guard lock(mutex_);
  if (abandoned_ || next_ >= runCount_) return Take::Finished;
  if (blockEnds_.size() >= maxBlocksInFlight_) return Take::Wait;
  block = HandOutLocked(size);
  return Take::Block;
}

std::optional<RunBlock> RunBlockScheduler::TakeWaiting(std::int64_t size) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    return abandoned_ || next_ >= runCount_ || blockEnds_.size() < maxBlocksInFlight_;
  });
  if (abandoned_ || next_ >= runCount_) return std::nullopt;
  return HandOutLocked(size);
}

void RunBlockScheduler::Post(BlockResults results) {
  {
    std::lock_guard lock(mutex_);
    std::int64_t position = results.first;
    for (const RunEnd& value : results.values) {
      held_[position] = Outcome{position, value, std::nullopt};
      ++position;
    }
    if (results.failure) held_[position] = Outcome{position, RunEnd{}, std::move(results.failure)};
    mostHeld_ = std::max(mostHeld_, held_.size());
  }
  changed_.notify_all();
}

std::optional<RunBlockScheduler::Outcome> RunBlockScheduler::PopNext() {
  std::optional<Outcome> outcome;
  {
    std::lock_guard lock(mutex_);
    const auto found = held_.find(delivered_);
    if (found == held_.end()) return std::nullopt;
    outcome = std::move(found->second);
    held_.erase(found);
    ++delivered_;
    while (!blockEnds_.empty() && blockEnds_.front() <= delivered_) blockEnds_.pop_front();
  }
  changed_.notify_all();
  return outcome;
}

bool RunBlockScheduler::AllDelivered() const {
  std::lock_guard lock(mutex_);
  return delivered_ >= runCount_;
}

void RunBlockScheduler::Abandon() {
  {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  changed_.notify_all();
}

bool RunBlockScheduler::NextReadyLocked() const {
  return abandoned_ || held_.count(delivered_) > 0;
}

void RunBlockScheduler::WaitForNext(std::chrono::microseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return NextReadyLocked(); });
}

std::size_t RunBlockScheduler::MostHeld() const {
  std::lock_guard lock(mutex_);
  return mostHeld_;
}

}  // namespace recmod::batch
