#include "numbers/DecimalParse.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/Int16.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/NumberText.hpp"

namespace recmod {
namespace {

ErrorKind KindOf(auto&& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.kind();
  }
  ADD_FAILURE() << "no error raised";
  return ErrorKind::InvalidOperation;
}

TEST(DecimalParse, ReadsSignDigitsPointAndExponent) {
  EXPECT_EQ(ParseDecimal("0.1"), 0.1);
  EXPECT_EQ(ParseDecimal("250"), 250.0);
  EXPECT_EQ(ParseDecimal(".5"), 0.5);
  EXPECT_EQ(ParseDecimal("-.25"), -0.25);
  EXPECT_EQ(ParseDecimal("+3"), 3.0);
  EXPECT_EQ(ParseDecimal("5."), 5.0);
  EXPECT_EQ(ParseDecimal("1E-05"), 1e-05);
  EXPECT_EQ(ParseDecimal("1e-10"), 1e-10);
  EXPECT_EQ(ParseDecimal("1.5E+15"), 1.5e15);
  EXPECT_EQ(ParseDecimal("2e3"), 2000.0);
  EXPECT_EQ(ParseDecimal("0.30000000000000004"), 0.1 + 0.2);
}

TEST(DecimalParse, SkipsLeadingBlanksAsTheSystemWritesThem) {
  EXPECT_EQ(ParseDecimal(" .5"), 0.5);
  EXPECT_EQ(ParseDecimal("   12"), 12.0);
  EXPECT_EQ(ParseDecimal(" 1E-05"), 1e-05);
  // Every number the system writes reads back as itself.
  for (double x : {0.5, 1.0, -0.25, 1e-05, 0.0001, 0.82, 123456789012345.0, 1.5e-07, 0.1 + 0.2}) {
    EXPECT_EQ(ParseDecimal(NumberText(x)), std::stod(NumberText(x))) << NumberText(x);
    EXPECT_NEAR(ParseDecimal(NumberText(x)), x, std::fabs(x) * 1e-14);
  }
}

TEST(DecimalParse, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
  EXPECT_EQ(ParseDecimal("12abc"), 12.0);
  EXPECT_EQ(ParseDecimal("1.5.3"), 1.5);
  EXPECT_EQ(ParseDecimal("1,5"), 1.0);
  EXPECT_EQ(ParseDecimal("3 4"), 3.0);
  EXPECT_EQ(ParseDecimal("1e"), 1.0);
  EXPECT_EQ(ParseDecimal("1e+"), 1.0);
  EXPECT_EQ(ParseDecimal("1E-x"), 1.0);
  EXPECT_EQ(ParseDecimal("7e2.5"), 700.0);
  EXPECT_EQ(ParseDecimal("--1"), 0.0);
}

TEST(DecimalParse, TextWithoutANumberGivesZero) {
  // Forms the C library would read (hexadecimal, infinity, not-a-number) are
  // not decimal numbers here.
  EXPECT_EQ(ParseDecimal("0x10"), 0.0);
  EXPECT_EQ(ParseDecimal("1p3"), 1.0);
  for (const char* text :
       {"", "abc", " ", ".", "-", "+", "e5", "-.e1", "C:", "inf", "-infinity", "nan", "NaN(1)"}) {
    EXPECT_EQ(ParseDecimal(text), 0.0) << '"' << text << '"';
  }
}

TEST(DecimalParse, NumbersBeyondDoubleAreOverflowErrors) {
  EXPECT_EQ(KindOf([] { ParseDecimal("1e999"); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { ParseDecimal("-1e309"); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { ParseDecimal(std::string(400, '9')); }), ErrorKind::Overflow);
  // Numbers too small to hold become 0, not an error.
  EXPECT_EQ(ParseDecimal("1e-999"), 0.0);
  EXPECT_EQ(ParseDecimal("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(SixteenBitConversion, RoundsHalvesToEvenAndChecksTheRange) {
  EXPECT_EQ(ParseInt16("250.5"), 250);
  EXPECT_EQ(ParseInt16("251.5"), 252);
  EXPECT_EQ(ParseInt16("10.7"), 11);
  EXPECT_EQ(ParseInt16("2.5"), 2);
  EXPECT_EQ(ParseInt16("3.5"), 4);
  EXPECT_EQ(ParseInt16("-2.5"), -2);
  EXPECT_EQ(ParseInt16("-2.6"), -3);
  EXPECT_EQ(ParseInt16("0.5"), 0);
  EXPECT_EQ(ParseInt16(""), 0);
  EXPECT_EQ(ParseInt16(" 1E+04"), 10000);
  EXPECT_EQ(ParseInt16("32767"), 32767);
  EXPECT_EQ(ParseInt16("32767.4"), 32767);
  EXPECT_EQ(ParseInt16("-32768.5"), -32768);  // the even neighbour is inside
  EXPECT_EQ(KindOf([] { ParseInt16("32767.5"); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { ParseInt16("-32769"); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { ParseInt16("1e10"); }), ErrorKind::Overflow);

  EXPECT_EQ(CheckedInt16(32767), 32767);
  EXPECT_EQ(CheckedInt16(-32768), -32768);
  EXPECT_EQ(KindOf([] { CheckedInt16(32768); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CheckedInt16(-32769); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToInt16(std::nan("")); }), ErrorKind::InvalidOperation);
  EXPECT_EQ(KindOf([] { RoundToInt16(INFINITY); }), ErrorKind::Overflow);
}

TEST(SinglePrecisionConversion, HoldsTheNearestFloat) {
  EXPECT_EQ(ParseSingle("0.1"), 0.1F);
  EXPECT_EQ(NumberText(static_cast<double>(ParseSingle("0.1"))), " .100000001490116");
  EXPECT_EQ(NumberText(static_cast<double>(ParseSingle("0.3"))), " .300000011920929");
  EXPECT_EQ(ParseSingle("6.5"), 6.5F);
  EXPECT_EQ(ParseSingle("abc"), 0.0F);
  EXPECT_EQ(KindOf([] { ParseSingle("1e39"); }), ErrorKind::Overflow);
  EXPECT_EQ(ParseSingle("1e-50"), 0.0F);
}

}  // namespace
}  // namespace recmod
