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
  // The generator's 128-bit state, stream increment and multiplier as 64-bit
  // halves: enough to advance a copy of the same stream elsewhere (the lane
  // engine advances the streams of many runs at once in vector registers).
  // Each number is then the output of the state after one step,
  //   state = state * multiplier + increment (mod 2^128),
  //   output = (high ^ low) rotated right by (high >> 58).
  struct Words {
    std::uint64_t stateHigh = 0;
    std::uint64_t stateLow = 0;
    std::uint64_t incrementHigh = 0;
    std::uint64_t incrementLow = 0;
    std::uint64_t multiplierHigh = 0;
    std::uint64_t multiplierLow = 0;
  };

  // The fixed initial state, the same at every program start.
  UniformGenerator() = default;

  // Restarts the stream from a seed sequence made of `words`; distinct word
  // lists give distinct, independent streams.
  void SeedFromWords(const std::uint32_t* words, std::size_t count);
  // Restarts the stream from a 64-bit seed and a stream position: the seed of
  // a whole start and, for loops, the run's position within it.
  void Seed(std::uint64_t seed, std::uint64_t position = 0);

  double NextUniform() { return UniformOf(engine_()); }
  // The uniform number of one output: its top 53 bits.
  static double UniformOf(std::uint64_t output) {
    return static_cast<double>(output >> 11) * 0x1.0p-53;
  }

  Words StateWords() const;

  // A uniform random bit generator over the same stream, for the standard
  // distributions of exact sampling.
  using result_type = pcg64::result_type;
  static constexpr result_type min() { return pcg64::min(); }
  static constexpr result_type max() { return pcg64::max(); }
  result_type operator()() { return engine_(); }

 private:
  // pcg64 with its state readable.
  class Engine : public pcg64 {
   public:
    using pcg64::pcg64;
    Words StateWords() const;
  };
  Engine engine_;
};

}  // namespace recmod
