#pragma once

#include <cstdint>

namespace recmod {

// Counts, indexes and integer parameters are signed 16-bit integers; a result
// outside their range is an overflow error, never a silent wrap.
std::int16_t CheckedInt16(long long value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), and checks the 16-bit range.
std::int16_t RoundToInt16(double value);

}  // namespace recmod
