#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recmod {

// How the text of a field becomes a number: leading blanks are skipped (the
// system writes positive numbers with a leading blank), then an optional sign,
// digits, a decimal point, digits and an exponent (E or e, optional sign,
// digits) are read up to the first character that cannot continue the number.
// A text that does not begin with a number gives 0. A number too large for a
// double is an overflow error.
double ParseDecimal(std::string_view text);

// The position just after the number that ParseDecimal reads from `text`
// (leading blanks included), 0 when the text does not begin with a number.
std::size_t DecimalNumberEnd(std::string_view text);

// The decimal parse rounded half to even into a signed 16-bit integer.
std::int16_t ParseInt16(std::string_view text);

// The decimal parse rounded to single precision.
float ParseSingle(std::string_view text);

}  // namespace recmod
