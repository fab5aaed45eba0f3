#pragma once

#include <mpi.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "RunBlockScheduler.hpp"
#include "run/LoopExecutor.hpp"

namespace recmod::batch {

// The runs of a loop spread over the processes (ranks) of an MPI job. Every
// rank prepares the same start and calls Execute with the same loop, so their
// engines and run functions agree. Rank 0 hands out blocks of runs to the
// ranks that ask for them, computes blocks of its own on threads beside its
// main thread, and alone reaches and consumes the results, in loop order. The
// other ranks only run blocks; their Execute returns once rank 0 has no more
// for them. A run that fails anywhere is raised on rank 0 at its position,
// naming the rank, as a loop in sequence raises it.
//
// Only the thread that calls Execute and Finish talks MPI (the threads of
// the runs never do), so MPI_THREAD_FUNNELED is enough. Waiting is done by
// probing and sleeping, not in blocking MPI calls, which spin on a core that
// the runs need.
class MpiLoopExecutor final : public LoopExecutor {
 public:
  explicit MpiLoopExecutor(MPI_Comm comm);

  bool RunsOnCallingThread() const override { return false; }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override;

  // Threads for the runs of this rank (on rank 0 beside its main thread; 0
  // there leaves all runs to the other ranks).
  void SetThreads(int threads) { threads_ = threads; }
  // Rank 0: called after each batch of positions has been consumed, to put
  // the lines written so far on disk.
  void SetAfterDelivery(std::function<void()> afterDelivery) {
    afterDelivery_ = std::move(afterDelivery);
  }
  // Rank 0: when set and true, the loop stops at once with StartStopped
  // after the results that are in have been consumed (a rank that was killed
  // sends nothing more).
  void SetStopFlag(const std::atomic<bool>* stopRequested) { stopRequested_ = stopRequested; }

  // The end of the program. Rank 0 answers every request still to come with
  // "no more" until each other rank has said that it leaves; the other ranks
  // say so. Every rank calls it once, whatever became of its start.
  void Finish();

  int rank() const { return rank_; }
  int size() const { return size_; }
  // A failure of the communication itself on this rank, empty when none.
  const std::string& communicationFailure() const { return communicationFailure_; }

 private:
  struct Request {
    int rank = 0;
    std::int64_t loop = 0;
    std::int64_t blockSize = 1;
  };

  void ExecuteOnRankZero(std::int64_t runCount, const Engine& prepared, const LoopBody& body);
  void ExecuteOnWorker(const Engine& prepared, const LoopBody& body);
  // Rank 0: takes in every message that has arrived; results of the current
  // loop go to `scheduler`. False when none had arrived.
  bool ReceiveMessages(RunBlockScheduler* scheduler);
  // Rank 0: answers the requests that can be answered now.
  void ServeRequests(RunBlockScheduler* scheduler);
  void SendWork(int rank, std::int64_t loop, const RunBlock& block);
  void Check(int result, const char* what, int peer);

  MPI_Comm comm_;
  int rank_ = 0;
  int size_ = 1;
  int threads_ = 1;
  std::function<void()> afterDelivery_;
  const std::atomic<bool>* stopRequested_ = nullptr;
  // The number of loops this rank has entered; the loops of all ranks match
  // one to one, so it tells a request of this loop from a late one.
  std::int64_t loop_ = 0;
  bool inLoop_ = false;
  bool finishing_ = false;
  std::deque<Request> pending_;  // rank 0: requests not yet answered
  int ranksLeft_ = 0;            // rank 0: ranks that have said they leave
  std::string communicationFailure_;
};

}  // namespace recmod::batch
