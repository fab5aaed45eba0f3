#include "model/UniformGenerator.hpp"

#include <array>
#include <random>

namespace recmod {

void UniformGenerator::SeedFromWords(const std::uint32_t* words, std::size_t count) {
  std::seed_seq sequence(words, words + count);
  std::array<std::uint32_t, 8> state{};
  sequence.generate(state.begin(), state.end());
  auto join = [&](std::size_t i) {
    return (static_cast<pcg_extras::pcg128_t>((static_cast<std::uint64_t>(state[i]) << 32) |
                                              state[i + 1])
            << 64) |
           ((static_cast<std::uint64_t>(state[i + 2]) << 32) | state[i + 3]);
  };
  engine_ = Engine(join(0), join(4));
}

UniformGenerator::Words UniformGenerator::StateWords() const {
  return engine_.StateWords();
}

UniformGenerator::Words UniformGenerator::Engine::StateWords() const {
  const pcg_extras::pcg128_t multiplier = pcg64::multiplier();
  const pcg_extras::pcg128_t increment = pcg64::increment();
  auto high = [](pcg_extras::pcg128_t value) { return static_cast<std::uint64_t>(value >> 64); };
  auto low = [](pcg_extras::pcg128_t value) { return static_cast<std::uint64_t>(value); };
  return {high(state_),   low(state_),      high(increment),
          low(increment), high(multiplier), low(multiplier)};
}

void UniformGenerator::Seed(std::uint64_t seed, std::uint64_t position) {
  const std::array<std::uint32_t, 5> words = {
      static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
      static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position >> 32),
      0x7265636dU};  // a tag that keeps these streams apart from time-of-day ones
  SeedFromWords(words.data(), words.size());
}

}  // namespace recmod
