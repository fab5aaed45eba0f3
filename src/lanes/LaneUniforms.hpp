#pragma once

#include <array>
#include <cstddef>

#include "model/UniformGenerator.hpp"

namespace recmod {

// The uniform streams of the runs of a batch, one per run, each exactly the
// stream its run's generator gives when run alone. Numbers are taken from the
// generator in blocks, the generators of all runs in turn, so that the
// processor overlaps their independent arithmetic.
template <std::size_t kMaxLanes>
class LaneUniforms {
 public:
  static constexpr int kBlock = 64;  // even: numbers are taken in pairs

  void Reset(std::size_t lanes, const UniformGenerator* generators) {
    lanes_ = lanes;
    for (std::size_t l = 0; l < lanes; ++l) {
      generator_[l] = generators[l];
      next_[l] = kBlock;
    }
  }

  // The next two numbers of run `lane`.
  void Pair(std::size_t lane, double& u1, double& u2) {
    if (next_[lane] == kBlock) Refill();
    const int i = next_[lane];
    u1 = block_[lane][static_cast<std::size_t>(i)];
    u2 = block_[lane][static_cast<std::size_t>(i) + 1];
    next_[lane] = i + 2;
  }

 private:
  // Tops up every run's block: the numbers a run has not taken yet move to
  // the front, new ones follow.
  void Refill() {
    for (std::size_t l = 0; l < lanes_; ++l) {
      const int kept = kBlock - next_[l];
      for (int i = 0; i < kept; ++i) {
        block_[l][static_cast<std::size_t>(i)] = block_[l][static_cast<std::size_t>(next_[l] + i)];
      }
      start_[l] = kept;
      next_[l] = 0;
    }
    for (int i = 0; i < kBlock; ++i) {
      for (std::size_t l = 0; l < lanes_; ++l) {
        if (i >= start_[l]) block_[l][static_cast<std::size_t>(i)] = generator_[l].NextUniform();
      }
    }
  }

  std::size_t lanes_ = 0;
  std::array<UniformGenerator, kMaxLanes> generator_{};
  std::array<std::array<double, kBlock>, kMaxLanes> block_{};
  std::array<int, kMaxLanes> next_{};
  std::array<int, kMaxLanes> start_{};
};

}  // namespace recmod
