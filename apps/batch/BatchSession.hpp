#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "BatchControls.hpp"
#include "ui/Simulator.hpp"

namespace recmod::batch {

// A seed for a start that was given none, from the system's entropy source.
std::uint64_t DrawSeed();

// Seams for a program that embeds the batch.
struct BatchHooks {
  // Called once the command line has been applied, just before "Start
  // simulation"; false skips the start (exit status 0). The fuzzer uses it to
  // keep starts short and their files in a scratch directory.
  std::function<bool(Simulator&)> beforeStart;
  // Draws the seed of a loop over Log10(N) that was given none; by default
  // from the system's entropy source. Processes that share a start agree on
  // one here.
  std::function<std::uint64_t()> drawSeed;
  // Called when the start has ended and its report files are closed, before
  // its table, picture and final record are written: for tests that look at
  // the save directory in between.
  std::function<void(const Simulator&)> afterStart;
  // Whether the start writes its record (recmod-run.json); processes that
  // only help another with its runs do not.
  bool writeRecord = true;
  // The number of processes of an MPI job that share the start, for its record.
  int mpiRanks = 1;
};

// Carries out a whole request and returns the exit status; all messages are
// printed here. SIGINT and SIGTERM stop a start after its current generation
// and give the exit status 128 + the signal's number.
int RunBatch(const BatchRequest& request, const BatchHooks& hooks = {});

}  // namespace recmod::batch
