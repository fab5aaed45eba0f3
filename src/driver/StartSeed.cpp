#include "driver/StartSeed.hpp"

#include <random>

namespace recmod {

bool StartDrawsRandomNumbers(const RunMode& mode) {
  return !mode.InfinitePopulation && (mode.SingleRun || mode.LoopOverLog10N);
}

std::uint64_t DrawStartSeed() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) | device();
}

}  // namespace recmod
