// recmod-batch: the simulator without its window, driven from the command
// line through the same handlers as the window. Built with MPI, a start under
// mpirun spreads the runs of its loops over the ranks of the job.
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "BatchProgram.hpp"
#include "ProcessOutput.hpp"
#if defined(RECMOD_WITH_MPI)
#include "MpiBatch.hpp"
#endif

int main(int argc, char** argv) {
  // The user's locale, as for any program (the toolkit of the pictures sets
  // it anyway). Numbers are read and written the same under every locale.
  std::setlocale(LC_ALL, "");
  recmod::batch::PrepareProcessOutput();
#if defined(RECMOD_WITH_MPI)
  return recmod::batch::RunBatchWithMpi(argc, argv);
#else
  // Without MPI, each of the copies that mpirun starts would run the whole
  // start and write the same report files over one another.
  if (const char* ranks = std::getenv("OMPI_COMM_WORLD_SIZE"); ranks && std::atoi(ranks) > 1) {
    std::fprintf(stderr,
                 "recmod-batch: started as %s MPI ranks, but built without MPI "
                 "(configure with -DRECMOD_MPI=ON)\n",
                 ranks);
    return recmod::batch::kExitUsage;
  }
  return recmod::batch::RunBatch(argc, argv);
#endif
}
