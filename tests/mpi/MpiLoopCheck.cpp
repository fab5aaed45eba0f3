// Checks of the MPI executor, run under mpirun with three or more ranks:
// every rank calls Execute with the same loops, as the ranks of a start do,
// and rank 0 checks what it reached and consumed. Exit status 0 when every
// check held; otherwise rank 0 names the failed checks.
#include <mpi.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "MpiLoopExecutor.hpp"
#include "model/RuntimeError.hpp"

namespace {

using recmod::Engine;
using recmod::ErrorKind;
using recmod::LoopBody;
using recmod::RunEnd;
using recmod::RuntimeError;
using recmod::StartStopped;

int gFailures = 0;

void Expect(bool condition, const std::string& what) {
  if (condition) return;
  ++gFailures;
  std::fprintf(stderr, "check failed: %s\n", what.c_str());
}

// A result that only its position determines, after work whose length varies
// so that blocks come back out of order.
double WorkAt(std::int64_t position) {
  std::this_thread::sleep_for(std::chrono::microseconds((position * 7919) % 13 * 50));
  return std::sqrt(static_cast<double>(position)) + 0.25;
}

struct Log {
  std::vector<std::int64_t> reached;
  std::vector<std::int64_t> consumed;
  bool wrongValue = false;
};

LoopBody LoggingBody(Log& log, std::function<double(std::int64_t, Engine&)> run) {
  LoopBody body;
  body.reach = [&log](std::int64_t p) { log.reached.push_back(p); };
  body.run = [run = std::move(run)](std::int64_t position, Engine& engine) {
    return RunEnd{.rPlus = run(position, engine)};
  };
  body.consume = [&log](std::int64_t p, const RunEnd& end) {
    const double value = end.rPlus;
    if (value != std::sqrt(static_cast<double>(p)) + 0.25) log.wrongValue = true;
    log.consumed.push_back(p);
  };
  return body;
}

bool IsRange(const std::vector<std::int64_t>& positions, std::int64_t count) {
  if (positions.size() != static_cast<std::size_t>(count)) return false;
  for (std::int64_t p = 0; p < count; ++p) {
    if (positions[static_cast<std::size_t>(p)] != p) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
  MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
  int status = 0;
  {
    recmod::batch::MpiLoopExecutor executor(MPI_COMM_WORLD);
    const int rank = executor.rank();
    const bool root = rank == 0;
    // Workers on one or two threads; rank 0 on one beside its main thread.
    executor.SetThreads(rank % 2 == 0 ? 1 : 2);
    Engine master;

    // Every position, in order, with the results of whichever rank ran it.
    {
      Log log;
      executor.Execute(300, master,
                       LoggingBody(log, [](std::int64_t p, Engine&) { return WorkAt(p); }));
      if (root) {
        Expect(IsRange(log.reached, 300), "every position reached in order");
        Expect(IsRange(log.consumed, 300), "every position consumed in order");
        Expect(!log.wrongValue, "every result exact");
      }
    }

    // An empty loop calls nothing and sends nothing.
    {
      Log log;
      executor.Execute(0, master, LoggingBody(log, [](std::int64_t, Engine&) { return 0.0; }));
      if (root) Expect(log.reached.empty(), "an empty loop reaches nothing");
    }

    // With rank 0 running nothing itself, a failure comes from another rank:
    // raised at its position, the first failure in loop order, naming the rank.
    {
      if (root) executor.SetThreads(0);
      Log log;
      auto run = [](std::int64_t p, Engine&) {
        const double result = WorkAt(p);
        if (p == 37 || p == 39 || p == 80) {
          throw RuntimeError(ErrorKind::EmptyDeme, "run " + std::to_string(p));
        }
        return result;
      };
      try {
        executor.Execute(120, master, LoggingBody(log, run));
        if (root) Expect(false, "a failing run raises on rank 0");
      } catch (const RuntimeError& error) {
        Expect(root, "only rank 0 raises a run's failure");
        Expect(error.kind() == ErrorKind::EmptyDeme, "the failure keeps its kind");
        const std::string detail = error.detail();
        Expect(detail.rfind("run 37 (rank ", 0) == 0 && detail != "run 37 (rank 0)",
               "the first failure in loop order names the rank that ran it: " + detail);
      }
      if (root) {
        Expect(IsRange(log.consumed, 37), "the positions before the failure are consumed");
        Expect(IsRange(log.reached, 38), "the failing position is reached");
        executor.SetThreads(1);
      }
    }

    // A stop travels the same way; so does a failure of consume.
    {
      Log log;
      try {
        executor.Execute(60, master, LoggingBody(log, [](std::int64_t p, Engine&) -> double {
                           if (p >= 12) throw StartStopped{};
                           return WorkAt(p);
                         }));
        if (root) Expect(false, "a stopped run stops the loop");
      } catch (const StartStopped&) {
        Expect(root, "only rank 0 raises the stop");
      }
      if (root) Expect(IsRange(log.consumed, 12), "consumed up to the stopped run");

      LoopBody failingConsume;
      std::vector<std::int64_t> consumed;
      failingConsume.reach = [](std::int64_t) {};
      failingConsume.run = [](std::int64_t p, Engine&) { return RunEnd{.rPlus = WorkAt(p)}; };
      failingConsume.consume = [&consumed](std::int64_t p, const RunEnd&) {
        if (p == 20) throw RuntimeError(ErrorKind::FileError, "disk full");
        consumed.push_back(p);
      };
      try {
        executor.Execute(90, master, failingConsume);
        if (root) Expect(false, "a failing consume raises");
      } catch (const RuntimeError& error) {
        Expect(root && error.kind() == ErrorKind::FileError, "consume's own error comes out");
      }
      if (root) Expect(IsRange(consumed, 20), "consumed up to the failing consume");
    }

    // After the failures the ranks are still in step: a whole loop again, with
    // the engine of before the loop in every run.
    {
      master.params.S = 0.75;
      Log log;
      executor.Execute(150, master, LoggingBody(log, [](std::int64_t p, Engine& engine) {
                         const bool fresh = engine.params.S == 0.75;
                         engine.params.S = -1.0;
                         return fresh ? WorkAt(p) : -1.0;
                       }));
      if (root) {
        Expect(IsRange(log.consumed, 150), "a loop after failures runs whole");
        Expect(!log.wrongValue, "every run starts from the engine before the loop");
      }
    }

    // Runs side by side in batches of 4: whole batches per block, a declined
    // batch runs one at a time, and a failure in it (on another rank) is
    // raised at its position.
    {
      if (root) executor.SetThreads(0);
      Log log;
      LoopBody body = LoggingBody(log, [](std::int64_t p, Engine&) {
        if (p == 54) throw RuntimeError(ErrorKind::EmptyDeme, "run " + std::to_string(p));
        return WorkAt(p);
      });
      body.batchSize = 4;
      body.runBatch = [](std::int64_t first, int count, std::span<Engine> lanes,
                         std::span<RunEnd> results) {
        Expect(lanes.size() == 4 && first % 4 == 0 && count >= 1 && count <= 4,
               "whole batches of 4 lanes");
        if (first <= 53 && 53 < first + count) return false;  // the batch of 52 .. 55
        for (int i = 0; i < count; ++i) {
          results[static_cast<std::size_t>(i)] = RunEnd{.rPlus = WorkAt(first + i)};
        }
        return true;
      };
      try {
        executor.Execute(101, master, body);
        if (root) Expect(false, "a failing run of a declined batch raises on rank 0");
      } catch (const RuntimeError& error) {
        Expect(root && error.detail().rfind("run 54 (rank ", 0) == 0,
               "the failure of a declined batch: " + error.detail());
      }
      if (root) {
        Expect(IsRange(log.consumed, 54), "batches consumed in order up to the failure");
        Expect(IsRange(log.reached, 55), "the failing position of a batch is reached");
        Expect(!log.wrongValue, "every batch result exact");
        executor.SetThreads(1);
      }
    }

    executor.Finish();
    if (root) {
      if (gFailures == 0) std::printf("all checks held on %d ranks\n", executor.size());
      status = gFailures == 0 ? 0 : 1;
    } else {
      status = gFailures == 0 ? 0 : 1;
    }
  }
  MPI_Finalize();
  return status;
}
