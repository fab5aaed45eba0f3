#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "model/RuntimeError.hpp"
#include "run/LoopExecutor.hpp"

namespace recmod::batch {

// Consecutive runs of a loop, handed to one process at a time.
struct RunBlock {
  std::int64_t first = 0;
  std::int64_t count = 0;
};

// Why a run failed, in a form that can travel between processes and be
// raised again where the results are gathered.
struct RunFailure {
  enum class Type : std::int32_t { RuntimeError = 1, Stopped = 2, Other = 3 };
  Type type = Type::Other;
  ErrorKind kind = ErrorKind::Overflow;  // of a RuntimeError
  std::string text;                      // a RuntimeError's detail, else the message
  int rank = 0;                          // the process whose run failed
};

// What `failure` (a RuntimeError, StartStopped or anything else) was.
RunFailure FailureOf(const std::exception_ptr& failure, int rank);

// Raises the failure again: a RuntimeError of the same kind whose detail
// names the rank, StartStopped, or a std::runtime_error naming the rank.
[[noreturn]] void RaiseFailure(const RunFailure& failure);

// The results of a block: those of its runs in loop order up to the first
// that failed, and that failure (of the run at first + values.size()).
struct BlockResults {
  std::int64_t first = 0;
  std::vector<RunEnd> values;
  std::optional<RunFailure> failure;
};

// How many runs a rank asks for at a time: blocks of about a tenth of a
// second, so that messages stay few when runs are quick and the end of a loop
// is shared out evenly when they are slow; at least one batch of runs side by
// side per thread, at most 256 runs per thread, always whole batches.
class BlockSizer {
 public:
  explicit BlockSizer(int threads, int batchSize = 1);
  std::int64_t size() const { return size_; }
  // A block of `runs` runs took `seconds`.
  void Finished(std::int64_t runs, double seconds);

  static constexpr double kTargetSeconds = 0.1;
  static constexpr std::int64_t kMostRunsPerThread = 256;

 private:
  std::int64_t batch_;
  std::int64_t least_;
  std::int64_t most_;
  std::int64_t size_;
};

// Runs the positions of `block` on `threads` threads (side by side in batches
// when the body has runBatch, else with body.run), every run
// on a fresh copy of `prepared`, and stops at the first failure in loop order
// as a loop does. `rank` names this process in a failure.
BlockResults RunBlockOfLoop(const Engine& prepared, const LoopBody& body, RunBlock block,
                            int threads, int rank);

}  // namespace recmod::batch
