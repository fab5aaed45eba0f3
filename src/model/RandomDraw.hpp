#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/UniformGenerator.hpp"

namespace recmod {

// State of the one random draw through which every change of a frequency
// passes: the uniform stream, the last pair of uniforms (which the mutation
// step may reuse for the R- class), and the population the draw counts in.
struct RandomDraw {
  UniformGenerator generator;
  double DrawUniform1 = 0.0;
  double DrawUniform2 = 0.0;
  bool ReuseUniforms = false;
  // Mirrors the run-mode flag for the run in progress: with an infinite
  // population every draw returns its argument and takes no uniform number.
  bool InfinitePopulation = true;
  // Exact sampling: every step applies its expected change and drift alone
  // samples the population (multinomially); the draw then returns x.
  bool ExactSampling = false;
  // N = 10 ^ CurrentLog10N, set at the start of every run; not a whole number
  // in general.
  double PopulationSize = 0.0;
  // How often the generator was reseeded from the clock; mixed into every
  // such seed so that two reseeds within one clock tick still differ.
  std::uint64_t ReseedCount = 0;
  // Draws made in a finite population (for the benchmarks' draw counts).
  std::uint64_t DrawCount = 0;
  // When set, every argument of a finite-population draw is appended here
  // (the benchmarks replay them to time the draws alone).
  std::vector<double>* ArgumentLog = nullptr;
};

inline double NextUniform(RandomDraw& draw) {
  return draw.generator.NextUniform();
}

// Turns an expected change x of a frequency into a random whole number of
// individuals out of N, divided by N. Above one expected individual the mean
// N|x| is moved one binomial standard deviation up or down with equal chance,
// then rounded up with a probability equal to its fractional part; at or
// below one individual it is one individual with probability N|x|. The
// expected result is x in every branch.
inline double DrawFrequency(RandomDraw& draw, double x) {
  if (draw.InfinitePopulation || draw.ExactSampling) return x;
  ++draw.DrawCount;
  if (draw.ArgumentLog != nullptr) [[unlikely]]
    draw.ArgumentLog->push_back(x);
  if (!draw.ReuseUniforms) {
    draw.DrawUniform1 = NextUniform(draw);
    draw.DrawUniform2 = NextUniform(draw);
  }
  const double N = draw.PopulationSize;
  const bool negative = x < 0.0;
  const double y = negative ? -x : x;
  double m = y * N;
  double count;
  if (y > 1.0) {
    count = m;
  } else {
    const double sd = std::sqrt((y * N) * (1.0 - y));
    if (m > 1.0) {
      m = draw.DrawUniform1 < 0.5 ? m - sd : m + sd;
      count = std::floor(m);
      m = m - count;
    } else {
      count = 0.0;
    }
    if (draw.DrawUniform2 < m) count = count + 1.0;
  }
  const double r = count / N;
  return negative ? -r : r;
}

// Reseeds the generator from the time of day (seconds since midnight, single
// precision) together with the count of earlier reseeds.
void ReseedGenerator(RandomDraw& draw);

}  // namespace recmod
