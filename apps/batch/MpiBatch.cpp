#include "MpiBatch.hpp"

#include <fcntl.h>
#include <mpi.h>
#include <sched.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BatchProgram.hpp"
#include "MpiLoopExecutor.hpp"
#include "output/ReportFiles.hpp"

namespace recmod::batch {

namespace {

// Open MPI's mpirun sets the first; a PMIx or PMI launcher (srun, other
// mpiexecs) the others.
constexpr const char* kLauncherVariables[] = {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK"};

std::string MpiErrorText(int result) {
  char text[MPI_MAX_ERROR_STRING] = {};
  int length = 0;
  MPI_Error_string(result, text, &length);
  return std::string(text, static_cast<std::size_t>(length));
}

// Options after which a program writes files besides the report files (a
// picture of the start, or of report files already written): rank 0's
// business alone.
constexpr std::string_view kRankZeroOptions[] = {"--plot", "--replot"};

bool IsRankZeroOption(std::string_view argument, bool& valueFollows) {
  for (const std::string_view option : kRankZeroOptions) {
    if (argument == option) {
      valueFollows = true;
      return true;
    }
    if (argument.size() > option.size() && argument.substr(0, option.size()) == option &&
        argument[option.size()] == '=') {
      valueFollows = false;
      return true;
    }
  }
  return false;
}

// The command line of a rank other than 0: that of rank 0 without the
// options above, so that the rank prepares the same start and writes nothing.
std::vector<char*> WithoutRankZeroOptions(int argc, char** argv) {
  std::vector<char*> kept;
  for (int i = 0; i < argc; ++i) {
    bool valueFollows = false;
    if (i > 0 && IsRankZeroOption(argv[i], valueFollows)) {
      if (valueFollows) ++i;
      continue;
    }
    kept.push_back(argv[i]);
  }
  kept.push_back(nullptr);
  return kept;
}

bool Replots(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--replot" || argument.rfind("--replot=", 0) == 0) return true;
  }
  return false;
}

// The cores this process may run on; mpirun binds each rank to one core
// unless told otherwise.
int CoresAllowed() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
  return CPU_COUNT(&allowed);
}

// All ranks agree on the seed that rank 0 draws.
std::uint64_t AgreeOnSeed(int rank) {
  std::uint64_t seed = rank == 0 ? DrawSeed() : 0;
  const int result = MPI_Bcast(&seed, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD);
  if (result != MPI_SUCCESS) {
    throw std::runtime_error("MPI: sharing the seed failed on rank " + std::to_string(rank) + ": " +
                             MpiErrorText(result));
  }
  return seed;
}

// Rank 0: the batch program as usual, with the runs of the loops spread.
int RunRankZero(int argc, char** argv, MpiLoopExecutor& executor) {
  BatchHooks hooks;
  hooks.beforeStart = [&executor](Simulator& sim) {
    if (const int cores = CoresAllowed();
        cores > 0 && sim.threads > cores && !sim.runMode.SingleRun) {
      std::fprintf(stderr,
                   "recmod-batch: note: %d threads per rank, but rank 0 may use only %d "
                   "core(s); start mpirun with --bind-to none (or --map-by slot:PE=%d), or "
                   "give --threads %d\n",
                   sim.threads, cores, sim.threads, cores);
    }
    executor.SetThreads(sim.threads);
    executor.SetStopFlag(&sim.stopRequested);
    // Lines reach the disk block by block, so that a job ended from outside
    // (a rank killed, the time limit) leaves every line consumed before.
    executor.SetAfterDelivery([&sim] { sim.reports.FlushAll(); });
    sim.loopExecutor = &executor;
    return true;
  };
  hooks.drawSeed = [] { return AgreeOnSeed(0); };
  hooks.mpiRanks = executor.size();
  int status = RunBatch(argc, argv, hooks);
  try {
    executor.Finish();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: rank 0: %s\n", error.what());
    if (status == kExitSuccess) status = kExitRuntimeError;
  }
  return status;
}

// The other ranks: the same command line (but for the options of pictures)
// and preparation, so that their runs are rank 0's, but only runs: no file,
// no output. Their stdout and stderr
// are closed while the batch program runs, as everything it would say rank
// 0 says; only a failure of the communication is told afterwards.
int RunOtherRank(int argc, char** argv, MpiLoopExecutor& executor) {
  std::fflush(stdout);
  std::fflush(stderr);
  const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int savedStderr = ::dup(STDERR_FILENO);
  if (nowhere >= 0) {
    ::dup2(nowhere, STDOUT_FILENO);
    ::dup2(nowhere, STDERR_FILENO);
    ::close(nowhere);
  }
  BatchHooks hooks;
  hooks.beforeStart = [&executor](Simulator& sim) {
    if (sim.runMode.SingleRun) return false;
    sim.reports.DiscardEverything();
    executor.SetThreads(sim.threads);
    sim.loopExecutor = &executor;
    return true;
  };
  const int rank = executor.rank();
  hooks.drawSeed = [rank] { return AgreeOnSeed(rank); };
  hooks.writeRecord = false;
  // Redrawing report files already written starts nothing to take part in.
  if (!Replots(argc, argv)) {
    std::vector<char*> arguments = WithoutRankZeroOptions(argc, argv);
    (void)RunBatch(static_cast<int>(arguments.size()) - 1, arguments.data(), hooks);
  }
  std::fflush(stderr);
  if (savedStderr >= 0) {
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);
  }
  std::string failure = executor.communicationFailure();
  try {
    executor.Finish();
  } catch (const std::exception& error) {
    if (failure.empty()) failure = error.what();
  }
  if (failure.empty()) return kExitSuccess;
  std::fprintf(stderr, "recmod-batch: rank %d: %s\n", rank, failure.c_str());
  return kExitRuntimeError;
}

}  // namespace

bool StartedByMpiLauncher() {
  for (const char* name : kLauncherVariables) {
    if (std::getenv(name) != nullptr) return true;
  }
  return false;
}

int RunBatchWithMpi(int argc, char** argv) {
  // A plain start does not pay for MPI_Init (a singleton start of the MPI
  // runtime takes about half a second) and does not depend on it at all.
  if (!StartedByMpiLauncher()) return RunBatch(argc, argv);

  int provided = 0;
  if (const int result = MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
      result != MPI_SUCCESS) {
    std::fprintf(stderr, "recmod-batch: MPI could not be started: %s\n",
                 MpiErrorText(result).c_str());
    return kExitRuntimeError;
  }
  // Failures of communication come back as results that name the rank,
  // instead of ending the job without a word.
  MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
  int rank = 0;
  int size = 1;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &size);

  int status = kExitSuccess;
  if (size == 1) {
    status = RunBatch(argc, argv);
  } else {
    MpiLoopExecutor executor(MPI_COMM_WORLD);
    status = rank == 0 ? RunRankZero(argc, argv, executor) : RunOtherRank(argc, argv, executor);
  }
  MPI_Finalize();
  return status;
}

}  // namespace recmod::batch
