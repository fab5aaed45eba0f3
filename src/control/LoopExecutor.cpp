#include "control/LoopExecutor.hpp"

namespace recmod {

void SequentialLoopExecutor::Execute(std::int64_t runCount, Engine& master, const LoopBody& body) {
  for (std::int64_t position = 0; position < runCount; ++position) {
    body.reach(position);
    const double result = body.run(position, master);
    body.consume(position, result);
  }
}

}  // namespace recmod
