// recmod-batch: the simulator without its window, driven from the command
// line through the same handlers as the window. Built with MPI, a start under
// mpirun spreads the runs of its loops over the ranks of the job.
#include "BatchProgram.hpp"
#if defined(RECMOD_WITH_MPI)
#include "MpiBatch.hpp"
#endif

int main(int argc, char** argv) {
#if defined(RECMOD_WITH_MPI)
  return recmod::batch::RunBatchWithMpi(argc, argv);
#else
  return recmod::batch::RunBatch(argc, argv);
#endif
}
