#pragma once

namespace recmod::batch {

// The batch program as one rank of an MPI job. Started by an MPI launcher
// (mpirun, or srun with PMI), every rank parses the same command line and
// prepares the same start; the runs of modes 2 and 3 are spread over the
// ranks, and rank 0 alone writes the report files, the progress and the
// messages. Modes 0 and 1 run on rank 0 alone. Started any other way it is
// RunBatch itself, and MPI is not even initialised.
int RunBatchWithMpi(int argc, char** argv);

// True when an MPI launcher started this process (its environment says so).
bool StartedByMpiLauncher();

}  // namespace recmod::batch
