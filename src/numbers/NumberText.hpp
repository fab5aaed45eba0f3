#pragma once

#include <string>

namespace recmod {

// The number format of the report files and the output fields: rounded to 15
// significant digits (7 for single-precision values), positional notation for
// decimal exponents -5 < e < 15 (-5 < e < 7 in single precision) with no
// trailing zeros and no zero before the point (0.5 -> ".5"), otherwise a
// mantissa, "E", a sign and at least two exponent digits (1E-05); one blank
// before a number that is zero or positive, "-" before a negative one.
std::string NumberText(double value);
std::string NumberTextSingle(float value);
// Integers are written exactly, with the same leading blank or sign.
std::string NumberTextInteger(long long value);

}  // namespace recmod
