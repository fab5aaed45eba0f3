#pragma once

#include <string>

namespace recmod {

// The shortest text that reads back to the same number, written as Python
// writes floats: positional for exponents -4 .. 15 ("0.0001", "0.8200000000000001",
// "250"), otherwise scientific ("1e-05", "1e+16"). A float gets its own
// shortest text ("0.1", not the digits of the double it widens to).
std::string ShortestNumber(double value);
std::string ShortestNumber(float value);

}  // namespace recmod
