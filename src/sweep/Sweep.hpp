#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/ParameterTable.hpp"

namespace recmod {

struct Engine;
struct RunInputs;

// One axis of a sweep: a parameter of the table and the values it takes.
struct SweepAxis {
  const ParameterInfo* parameter = nullptr;
  std::vector<double> values;
};

// The runs of a study: every point of the grid product of the axes (the first
// axis varies slowest, the last fastest), each run `replicates` times in a row.
// Run r (0-based) is replicate r % replicates of point r / replicates. The
// window's two loops are sweeps: S x K with an infinite population, and
// Log10(N) with Iterations replicates in a finite one.
struct Sweep {
  std::vector<SweepAxis> axes;
  std::int64_t replicates = 1;
  // A finite population: every run draws from its own generator, started
  // from (seed, firstPosition + r), or from the time of day without a seed.
  bool finitePopulation = false;
  std::optional<std::uint64_t> seed;
  // Where this start's runs stand in a sweep split over several starts.
  std::int64_t firstPosition = 0;
  // The window's loop over Log10(N) does not restore S after a run: with the
  // inversion of S each run starts with the S that the run before it left.
  bool handsOnS = false;
  // A study's sinusoid swings each run about its own S (an axis over S sets
  // the amplitude too); the window's loop over S and K keeps the amplitude
  // of its field S for every run.
  bool sinusoidFollowsS = false;

  std::int64_t PointCount() const;
  std::int64_t RunCount() const;
  std::int64_t PointOf(std::int64_t run) const { return run / replicates; }
  std::int64_t ReplicateOf(std::int64_t run) const { return run % replicates; }
  // The value axis `axis` takes at point `point`.
  double ValueAt(std::size_t axis, std::int64_t point) const;
  // "S = .01, K = .8", "Log10(N) = 2, iteration 3": the run as messages name it.
  std::string RunName(std::int64_t run) const;
};

// What a run of a sweep starts from: the start's inputs with the run's values
// of the axes, and the engine's parameters, selection terms, S and generator
// set as the run needs them. `reseedsBefore` is the engine's count of reseeds
// when the sweep began.
void PlaceSweepRun(const Sweep& sweep, const RunInputs& startInputs, std::uint64_t reseedsBefore,
                   std::int64_t run, Engine& engine, RunInputs& runInputs);

}  // namespace recmod
