#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "sweep/SweepAxisCheck.hpp"

namespace recmod {

// The values of a sweep's axis as a user writes them:
//   FROM:TO:STEP        FROM + i*STEP for i = 0, 1, ... up to TO (a value that
//                       passes TO only by rounding is TO itself)
//   FROM:TO:log:COUNT   COUNT values evenly spaced in log10, FROM and TO included
//   V1,V2,...           the values as listed (one value is a list of one)
// Numbers are read with a decimal point whatever the locale. Throws
// SweepError for a malformed text, a step that is not above 0, FROM above TO,
// bounds of a log scale that are not above 0, or more than `limit` values.
std::vector<double> ParseSweepValues(std::string_view text, std::size_t limit);

// "NAME=VALUES": the axis, checked against the parameter table (MakeSweepAxis).
SweepAxis ParseSweepOption(std::string_view text, std::size_t limit);

}  // namespace recmod
