#pragma once

#include <cstdint>

namespace recmod {

struct Engine;

// What every run of a batch of lanes must share: the lane kernel is compiled
// for the number of loci and reads the number of demes, MaxGen, z and the
// diffusion from the batch's first run (the switches come from the batch's one
// RunInputs). The parameters the parameter table marks "per batch" are these.
// Everything else (S, K, u, w, N, the inversion period, the start state) each
// run keeps in its own engine.
struct BatchConstants {
  std::int16_t loci = 0;
  std::int16_t demes = 0;
  std::int16_t maxGen = 0;
  float z = 0.0F;
  float diffusion = 0.0F;
  bool operator==(const BatchConstants&) const = default;
};

BatchConstants BatchConstantsOf(const Engine& run);

}  // namespace recmod
