#include "driver/StartSeed.hpp"

#include <random>

namespace recmod {

bool StartDrawsRandomNumbers(const RunMode& mode) {
  const RunKind* kind = RunKindOf(mode);
  return kind != nullptr && kind->finitePopulation;
}

std::uint64_t DrawStartSeed() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) | device();
}

}  // namespace recmod
