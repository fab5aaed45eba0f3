#include "MpiLoopExecutor.hpp"
#include "run/RunOutputs.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

namespace recmod::batch {

namespace {

// Message tags between rank 0 and the others.
constexpr int kTagRequest = 11;  // to rank 0: results of a block and/or a request for another
constexpr int kTagWork = 12;     // from rank 0: a block to run, or none (no more in this loop)
constexpr int kTagLeave = 13;    // to rank 0: this rank sends nothing more

// Requests a rank keeps open, so that its next block is there when it has
// finished one.
constexpr int kRequestsAhead = 2;
// Blocks in flight per rank: the open requests and one block of the rank 0
// threads, with room for faster ranks to run ahead of a slow block.
constexpr int kBlocksInFlightPerRank = 4;

// How long a rank that waits for a message sleeps between two looks: short
// after something happened, longer while nothing does (blocks take about a
// tenth of a second, and the next one is asked for ahead).
class PollPause {
 public:
  std::chrono::microseconds Next() {
    const auto pause = pause_;
    pause_ = std::min(pause_ * 2, kLongest);
    return pause;
  }
  void Reset() { pause_ = kShortest; }

 private:
  static constexpr std::chrono::microseconds kShortest{50};
  static constexpr std::chrono::microseconds kLongest{2000};
  std::chrono::microseconds pause_ = kShortest;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct RequestHeader {
  std::int64_t loop = 0;
  std::int64_t first = -1;  // position of the first result; -1 without results
  std::int64_t valueCount = 0;
  std::int64_t blockSize = 1;  // runs wanted in the next block
  std::int32_t wantsMore = 0;
  std::int32_t failureType = 0;  // 0 none, else RunFailure::Type
  std::int32_t failureKind = 0;  // ErrorKind of a RuntimeError
  std::int32_t unused = 0;
};

struct WorkMessage {
  std::int64_t loop = 0;
  std::int64_t first = 0;
  std::int64_t count = 0;  // 0: no more blocks in this loop
};

// Results travel as their bytes: the ranks of one job share one machine type,
// and the report files need the results exact to the bit.
std::vector<char> EncodeRequest(std::int64_t loop, const BlockResults* results, bool wantsMore,
                                std::int64_t blockSize) {
  RequestHeader header;
  header.loop = loop;
  header.blockSize = blockSize;
  header.wantsMore = wantsMore ? 1 : 0;
  std::string text;
  if (results != nullptr) {
    header.first = results->first;
    header.valueCount = static_cast<std::int64_t>(results->values.size());
    if (results->failure) {
      header.failureType = static_cast<std::int32_t>(results->failure->type);
      header.failureKind = static_cast<std::int32_t>(results->failure->kind);
      text = results->failure->text;
    }
  }
  const std::size_t valueBytes = static_cast<std::size_t>(header.valueCount) * sizeof(RunEnd);
  std::vector<char> buffer(sizeof header + valueBytes + text.size());
  std::memcpy(buffer.data(), &header, sizeof header);
  if (valueBytes > 0)
    std::memcpy(buffer.data() + sizeof header, results->values.data(), valueBytes);
  if (!text.empty())
    std::memcpy(buffer.data() + sizeof header + valueBytes, text.data(), text.size());
  return buffer;
}

struct DecodedRequest {
  RequestHeader header;
  BlockResults results;
};

DecodedRequest DecodeRequest(const std::vector<char>& buffer, int rank) {
  DecodedRequest decoded;
  RequestHeader& header = decoded.header;
  if (buffer.size() < sizeof header) throw std::runtime_error("a short message from a rank");
  std::memcpy(&header, buffer.data(), sizeof header);
  const std::size_t valueBytes = static_cast<std::size_t>(header.valueCount) * sizeof(RunEnd);
  if (header.valueCount < 0 || buffer.size() < sizeof header + valueBytes) {
    throw std::runtime_error("a malformed message from rank " + std::to_string(rank));
  }
  decoded.results.first = header.first;
  decoded.results.values.resize(static_cast<std::size_t>(header.valueCount));
  if (valueBytes > 0) {
    std::memcpy(decoded.results.values.data(), buffer.data() + sizeof header, valueBytes);
  }
  if (header.failureType != 0) {
    RunFailure failure;
    failure.type = static_cast<RunFailure::Type>(header.failureType);
    failure.kind = static_cast<ErrorKind>(header.failureKind);
    failure.text.assign(buffer.data() + sizeof header + valueBytes,
                        buffer.size() - sizeof header - valueBytes);
    failure.rank = rank;
    decoded.results.failure = std::move(failure);
  }
  return decoded;
}

}  // namespace

MpiLoopExecutor::MpiLoopExecutor(MPI_Comm comm) : comm_(comm) {
  Check(MPI_Comm_rank(comm_, &rank_), "asking for the rank", -1);
  Check(MPI_Comm_size(comm_, &size_), "asking for the number of ranks", -1);
}

void MpiLoopExecutor::Check(int result, const char* what, int peer) {
  if (result == MPI_SUCCESS) return;
  char text[MPI_MAX_ERROR_STRING] = {};
  int length = 0;
  MPI_Error_string(result, text, &length);
  std::string message = std::string("MPI: ") + what;
  if (peer >= 0) message += " rank " + std::to_string(peer);
  message += " failed on rank " + std::to_string(rank_) + ": " +
             std::string(text, static_cast<std::size_t>(length));
  communicationFailure_ = message;
  throw std::runtime_error(message);
}

void MpiLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  ++loop_;
  // Every rank knows the length of the loop: an empty one needs no message.
  if (runCount <= 0) return;
  const EngineCopy prepared(master);
  if (rank_ == 0) {
    ExecuteOnRankZero(runCount, prepared.get(), body);
  } else {
    ExecuteOnWorker(prepared.get(), body);
  }
}

void MpiLoopExecutor::ExecuteOnRankZero(std::int64_t runCount, const Engine& prepared,
                                        const LoopBody& body) {
  RunBlockScheduler scheduler(runCount, kBlocksInFlightPerRank * size_);
  inLoop_ = true;
  // Rank 0's own share: blocks taken like any rank's, on its threads, while
  // this thread talks to the others and writes.
  std::thread own;
  if (threads_ > 0) {
    own = std::thread([&] {
      BlockSizer sizer(threads_, body.batchSize);
      while (const auto block = scheduler.TakeWaiting(sizer.size())) {
        const auto start = std::chrono::steady_clock::now();
        scheduler.Post(RunBlockOfLoop(prepared, body, *block, threads_, rank_));
        sizer.Finished(block->count, SecondsSince(start));
      }
    });
  }
  auto endLoop = [&] {
    scheduler.Abandon();
    if (own.joinable()) own.join();
    inLoop_ = false;
  };
  PollPause pause;
  try {
    while (!scheduler.AllDelivered()) {
      if (ReceiveMessages(&scheduler)) pause.Reset();
      ServeRequests(&scheduler);
      bool deliveredAny = false;
      while (const auto outcome = scheduler.PopNext()) {
        body.reach(outcome->position);
        if (outcome->failure) RaiseFailure(*outcome->failure);
        body.consume(outcome->position, outcome->value);
        deliveredAny = true;
      }
      if (deliveredAny && afterDelivery_) afterDelivery_();
      if (stopRequested_ != nullptr && stopRequested_->load()) throw StartStopped{};
      if (deliveredAny) {
        pause.Reset();
      } else {
        scheduler.WaitForNext(pause.Next());
      }
    }
  } catch (...) {
    endLoop();
    try {
      ServeRequests(nullptr);
    } catch (...) {
      // The loop's own failure is the one to tell.
    }
    throw;
  }
  endLoop();
  // The ranks still asking in this loop can go on.
  ServeRequests(nullptr);
}

bool MpiLoopExecutor::ReceiveMessages(RunBlockScheduler* scheduler) {
  bool any = false;
  for (;;) {
    int arrived = 0;
    MPI_Status status;
    Check(MPI_Iprobe(MPI_ANY_SOURCE, MPI_ANY_TAG, comm_, &arrived, &status), "looking for messages",
          -1);
    if (arrived == 0) return any;
    any = true;
    const int source = status.MPI_SOURCE;
    int bytes = 0;
    Check(MPI_Get_count(&status, MPI_BYTE, &bytes), "sizing a message from", source);
    std::vector<char> buffer(static_cast<std::size_t>(std::max(bytes, 0)));
    Check(
        MPI_Recv(buffer.data(), bytes, MPI_BYTE, source, status.MPI_TAG, comm_, MPI_STATUS_IGNORE),
        "receiving from", source);
    if (status.MPI_TAG == kTagLeave) {
      ++ranksLeft_;
      continue;
    }
    if (status.MPI_TAG != kTagRequest) continue;
    DecodedRequest decoded = DecodeRequest(buffer, source);
    const RequestHeader& header = decoded.header;
    // Results of a loop that has ended here (after a failure) are of no use.
    if (header.first >= 0 && scheduler != nullptr && inLoop_ && header.loop == loop_) {
      scheduler->Post(std::move(decoded.results));
    }
    if (header.wantsMore != 0) pending_.push_back(Request{source, header.loop, header.blockSize});
  }
}

void MpiLoopExecutor::SendWork(int rank, std::int64_t loop, const RunBlock& block) {
  const WorkMessage work{loop, block.first, block.count};
  Check(MPI_Send(&work, sizeof work, MPI_BYTE, rank, kTagWork, comm_), "sending work to", rank);
}

void MpiLoopExecutor::ServeRequests(RunBlockScheduler* scheduler) {
  std::deque<Request> kept;
  bool windowFull = false;
  while (!pending_.empty()) {
    const Request request = pending_.front();
    pending_.pop_front();
    if (!finishing_ && request.loop > loop_) {
      kept.push_back(request);  // a loop this rank has not entered yet
      continue;
    }
    const bool current = !finishing_ && inLoop_ && request.loop == loop_ && scheduler != nullptr;
    if (!current) {
      SendWork(request.rank, request.loop, RunBlock{0, 0});
      continue;
    }
    RunBlock block;
    const RunBlockScheduler::Take take =
        windowFull ? RunBlockScheduler::Take::Wait : scheduler->TryTake(request.blockSize, block);
    switch (take) {
      case RunBlockScheduler::Take::Block:
        SendWork(request.rank, request.loop, block);
        break;
      case RunBlockScheduler::Take::Wait:
        windowFull = true;
        kept.push_back(request);
        break;
      case RunBlockScheduler::Take::Finished:
        SendWork(request.rank, request.loop, RunBlock{0, 0});
        break;
    }
  }
  pending_ = std::move(kept);
}

void MpiLoopExecutor::ExecuteOnWorker(const Engine& prepared, const LoopBody& body) {
  BlockSizer sizer(threads_, body.batchSize);
  int open = 0;  // requests not yet answered
  bool noMoreWork = false;
  bool failed = false;
  std::deque<RunBlock> queue;

  auto send = [&](const BlockResults* results) {
    const bool wantsMore = !noMoreWork && !failed;
    if (results == nullptr && !wantsMore) return;
    const std::vector<char> buffer = EncodeRequest(loop_, results, wantsMore, sizer.size());
    Check(MPI_Send(buffer.data(), static_cast<int>(buffer.size()), MPI_BYTE, 0, kTagRequest, comm_),
          "sending to", 0);
    if (wantsMore) ++open;
  };
  auto arrived = [&] {
    int flag = 0;
    Check(MPI_Iprobe(0, kTagWork, comm_, &flag, MPI_STATUS_IGNORE), "waiting for", 0);
    return flag != 0;
  };
  auto takeWork = [&] {
    WorkMessage work;
    Check(MPI_Recv(&work, sizeof work, MPI_BYTE, 0, kTagWork, comm_, MPI_STATUS_IGNORE),
          "receiving from", 0);
    --open;
    if (work.loop != loop_) {
      communicationFailure_ = "rank 0 answered for loop " + std::to_string(work.loop) +
                              " in loop " + std::to_string(loop_);
      throw std::runtime_error(communicationFailure_);
    }
    if (work.count <= 0) {
      noMoreWork = true;
    } else if (!failed) {
      queue.push_back(RunBlock{work.first, work.count});
    }
  };

  for (int i = 0; i < kRequestsAhead; ++i) send(nullptr);
  for (;;) {
    while (open > 0 && arrived()) takeWork();
    if (!queue.empty()) {
      const RunBlock block = queue.front();
      queue.pop_front();
      const auto start = std::chrono::steady_clock::now();
      const BlockResults results = RunBlockOfLoop(prepared, body, block, threads_, rank_);
      sizer.Finished(block.count, SecondsSince(start));
      if (results.failure) {
        // The loop ends at this failure or before it: later blocks are of no use.
        failed = true;
        queue.clear();
      }
      send(&results);
      continue;
    }
    if (open == 0) break;
    PollPause pause;
    while (!arrived()) std::this_thread::sleep_for(pause.Next());
  }
}

void MpiLoopExecutor::Finish() {
  if (size_ == 1) return;
  if (rank_ != 0) {
    Check(MPI_Send(nullptr, 0, MPI_BYTE, 0, kTagLeave, comm_), "saying goodbye to", 0);
    return;
  }
  finishing_ = true;
  PollPause pause;
  for (;;) {
    if (ReceiveMessages(nullptr)) pause.Reset();
    ServeRequests(nullptr);
    if (ranksLeft_ >= size_ - 1) return;
    std::this_thread::sleep_for(pause.Next());
  }
}

}  // namespace recmod::batch
