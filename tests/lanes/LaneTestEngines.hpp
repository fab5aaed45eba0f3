#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "lanes/LanePath.hpp"
#include "run/Engine.hpp"
#include "run/RunInputs.hpp"
#include "run/RunMode.hpp"

namespace recmod::testing {

// The settings all runs of one batch share.
struct SharedSettings {
  std::int16_t loci = 2;
  std::int16_t demes = 1;
  float z = 0.0F;
  float diffusion = 0.2F;
  bool finite = false;  // N finite: every change passes through the draw
  bool drift = false;
  bool exact = false;  // exact sampling: drift as one multinomial sample
  bool totalStochasticity = true;
  bool inversion = false;
  bool sinusoid = false;
  std::int16_t inversionPeriod = 2;
  std::int16_t maxGen = 5;
};

// What one run of a batch has of its own: S, K, N, its stream of uniform
// numbers, and whatever `plant` changes in its engine after StartRun.
struct RunOfBatch {
  const char* name;
  double S = 0.1;
  double K = 1.0;
  float log10N = 2.0F;
  std::function<void(Engine&)> plant = nullptr;
};

RunInputs InputsFor(const SharedSettings& shared);
RunMode ModeFor(const SharedSettings& shared);

// An engine of `run` after StartRun and planting, its generator seeded with
// `stream`.
Engine StartedEngine(const SharedSettings& shared, const RunOfBatch& run, std::uint64_t stream);

// The recorded entries of deme 1 (R+ then R-, as LaneHistory keeps them)
// after every generation of `engine` run from its state as it stands by the
// scalar engine; [generation - 1][entry]. Throws what the scalar engine throws.
std::vector<std::vector<double>> ScalarHistory(Engine& engine, const SharedSettings& shared);

// Sets the entries of class `slot` of `deme` to `values` (haplotypes 1 ...).
void Plant(Engine& engine, int slot, int deme, std::initializer_list<double> values);

// Runs `body` with each path the processor has in force, then goes back to
// the path in force before.
void ForEveryLanePath(const std::function<void(LanePath)>& body);

}  // namespace recmod::testing
