#include "model/RandomDraw.hpp"

#include <array>
#include <chrono>
#include <cstring>
#include <ctime>

namespace recmod {

namespace {
float SecondsSinceMidnight() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto sinceEpoch = now.time_since_epoch();
  const double fraction = std::chrono::duration<double>(
                              sinceEpoch - std::chrono::floor<std::chrono::seconds>(sinceEpoch))
                              .count();
  return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction);
}
}  // namespace

void ReseedGenerator(RandomDraw& draw) {
  const float seconds = SecondsSinceMidnight();
  std::uint32_t secondsBits = 0;
  std::memcpy(&secondsBits, &seconds, sizeof secondsBits);
  ++draw.ReseedCount;
  // The process clock adds entropy between program starts within one tick.
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::array<std::uint32_t, 5> words = {
      secondsBits, static_cast<std::uint32_t>(draw.ReseedCount),
      static_cast<std::uint32_t>(draw.ReseedCount >> 32), static_cast<std::uint32_t>(ticks),
      static_cast<std::uint32_t>(ticks >> 32)};
  draw.generator.SeedFromWords(words.data(), words.size());
}

}  // namespace recmod
