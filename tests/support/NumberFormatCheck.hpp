#pragma once

#include <gtest/gtest.h>

#include <string>

namespace recmod::testing {

// Whether `text` is a number as the report files write it: a blank (zero or
// positive) or "-" (negative), then positional notation for decimal exponents
// -5 < e < 15 (no trailing zeros, no point for whole numbers, no zero before
// the point below 1) or a mantissa 1 <= m < 10, "E", a sign and at least two
// exponent digits otherwise; at most `digits` significant digits (15 for
// doubles, 7 for single-precision values).
::testing::AssertionResult IsNumberText(const std::string& text, int digits = 15);

}  // namespace recmod::testing
