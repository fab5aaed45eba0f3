#pragma once

#include <cstdint>
#include <pcg_random.hpp>

namespace recmod {

// The program's stream of uniform numbers in [0, 1). A 64-bit PCG generator
// (128-bit state, selectable stream); each number takes the top 53 bits of one
// output, so 1.0 never occurs. Kept behind this small type so that the
// algorithm can be swapped without touching the draw.
class UniformGenerator {
 public:
  // The fixed initial state, the same at every program start.
  UniformGenerator() = default;

  // Restarts the stream from a seed sequence made of `words`; distinct word
  // lists give distinct, independent streams.
  void SeedFromWords(const std::uint32_t* words, std::size_t count);
  // Restarts the stream from a 64-bit seed and a stream position: the seed of
  // a whole start and, for loops, the run's position within it.
  void Seed(std::uint64_t seed, std::uint64_t position = 0);

  double NextUniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

  // A uniform random bit generator over the same stream, for the standard
  // distributions of exact sampling.
  using result_type = pcg64::result_type;
  static constexpr result_type min() { return pcg64::min(); }
  static constexpr result_type max() { return pcg64::max(); }
  result_type operator()() { return engine_(); }

 private:
  pcg64 engine_;
};

}  // namespace recmod
