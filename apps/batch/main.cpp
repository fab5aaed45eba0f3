// recmod-batch: the simulator without its window, driven from the command
// line through the same handlers as the window.
#include "BatchProgram.hpp"

int main(int argc, char** argv) {
  return recmod::batch::RunBatch(argc, argv);
}
