#pragma once

namespace recmod::batch {

// Makes the program's output safe for scripts, before anything is written:
// - standard input, output or error that the caller closed is opened on
//   /dev/null, so that no report file can take its number and receive the
//   program's messages;
// - SIGPIPE is ignored: output to a reader that went away (`| head -1`) is
//   dropped instead of ending the start;
// - SIGXFSZ is ignored: a write beyond the file-size limit fails with an
//   error that the writer reports, instead of killing the program with a
//   torn last line.
void PrepareProcessOutput();

// At the end of a request: puts what is left of standard output out and
// returns 0, or, when standard output could not take it (a full device, an
// I/O error), says so on stderr and returns 3. Output lost to a reader that
// went away is no failure (see above).
int FinishStandardOutput();

}  // namespace recmod::batch
