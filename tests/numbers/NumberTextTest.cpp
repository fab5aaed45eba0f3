#include "numbers/NumberText.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/RuntimeError.hpp"

namespace recmod {
namespace {

TEST(NumberText, WorkedExamples) {
  EXPECT_EQ(NumberText(0.5), " .5");
  EXPECT_EQ(NumberText(1.0), " 1");
  EXPECT_EQ(NumberText(-0.25), "-.25");
  EXPECT_EQ(NumberText(0.00001), " 1E-05");
  EXPECT_EQ(NumberText(0.0001), " .0001");
  EXPECT_EQ(NumberText(0.8200000000000001), " .82");
  EXPECT_EQ(NumberTextSingle(1.5F), " 1.5");
  EXPECT_EQ(NumberTextInteger(12), " 12");
  EXPECT_EQ(NumberText(0.0), " 0");
  EXPECT_EQ(NumberText(-0.0), " 0");
}

TEST(NumberText, PositionalBetweenTheExponentLimits) {
  EXPECT_EQ(NumberText(123456789012345.0), " 123456789012345");  // e = 14
  EXPECT_EQ(NumberText(1e15), " 1E+15");                         // e = 15
  EXPECT_EQ(NumberText(-1e15), "-1E+15");
  EXPECT_EQ(NumberText(2.5e16), " 2.5E+16");
  EXPECT_EQ(NumberText(0.000123), " .000123");  // e = -4
  EXPECT_EQ(NumberText(1.5e-07), " 1.5E-07");
  EXPECT_EQ(NumberText(-1e-05), "-1E-05");
  EXPECT_EQ(NumberText(1e100), " 1E+100");
  EXPECT_EQ(NumberText(1.25e-300), " 1.25E-300");
  EXPECT_EQ(NumberText(250.0), " 250");
  EXPECT_EQ(NumberText(100.25), " 100.25");
  EXPECT_EQ(NumberText(-12.5), "-12.5");
  EXPECT_EQ(NumberText(1e14), " 100000000000000");
}

TEST(NumberText, RoundsToFifteenSignificantDigits) {
  EXPECT_EQ(NumberText(1.0 / 3.0), " .333333333333333");
  EXPECT_EQ(NumberText(2.0 / 3.0), " .666666666666667");
  EXPECT_EQ(NumberText(0.1 + 0.2), " .3");
  EXPECT_EQ(NumberText(0.9999999999999999), " 1");
  EXPECT_EQ(NumberText(1.00000000000001), " 1.00000000000001");
  EXPECT_EQ(NumberText(static_cast<double>(0.1F)), " .100000001490116");
  // Rounding can carry into the next power of ten, and the notation follows
  // the rounded value.
  EXPECT_EQ(NumberText(999999999999999.9), " 1E+15");
  EXPECT_EQ(NumberText(0.000099999999999999999), " .0001");
  EXPECT_EQ(NumberText(9.999999999999999e-6), " 1E-05");
  EXPECT_EQ(NumberText(1234567890123456789.0), " 1.23456789012346E+18");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::max()), " 1.79769313486232E+308");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::denorm_min()), " 4.94065645841247E-324");
}

TEST(NumberText, SinglePrecisionUsesSevenDigits) {
  EXPECT_EQ(NumberTextSingle(6.0F), " 6");
  EXPECT_EQ(NumberTextSingle(6.5F), " 6.5");
  EXPECT_EQ(NumberTextSingle(0.1F), " .1");
  EXPECT_EQ(NumberTextSingle(1234567.0F), " 1234567");
  EXPECT_EQ(NumberTextSingle(12345678.0F), " 1.234568E+07");
  EXPECT_EQ(NumberTextSingle(1e-05F), " 1E-05");
  EXPECT_EQ(NumberTextSingle(-2.5F), "-2.5");
}

TEST(NumberText, IntegersAreWrittenExactly) {
  EXPECT_EQ(NumberTextInteger(0), " 0");
  EXPECT_EQ(NumberTextInteger(-3), "-3");
  EXPECT_EQ(NumberTextInteger(32767), " 32767");
  EXPECT_EQ(NumberTextInteger(1234567890123456789LL), " 1234567890123456789");
}

TEST(NumberText, ANumberThatIsNotFiniteIsAnError) {
  EXPECT_THROW(NumberText(std::nan("")), RuntimeError);
  EXPECT_THROW(NumberText(INFINITY), RuntimeError);
}

}  // namespace
}  // namespace recmod
