#include "control/LoopExecutor.hpp"

#include "control/ParallelLoopExecutor.hpp"

namespace recmod {

void SequentialLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  for (std::int64_t position = 0; position < runCount; ++position) {
    body.reach(position);
    const double result = body.run(position, master);
    body.consume(position, result);
  }
}

std::unique_ptr<LoopExecutor> MakeLoopExecutor(int threads) {
  if (threads <= 1) return std::make_unique<SequentialLoopExecutor>();
  return std::make_unique<ParallelLoopExecutor>(threads);
}

}  // namespace recmod
