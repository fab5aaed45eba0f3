// The grid of a swept variable: every value from FROM + i*STEP, none outside
// FROM .. TO, and TO itself when the steps reach it up to rounding.
#include <gtest/gtest.h>

#include <vector>

#include "run/ValueGrid.hpp"

namespace recmod {
namespace {

struct GridCase {
  ValueGrid grid;
  std::vector<double> values;
};

class GridValuesTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(GridValuesTest, AreFromPlusIStepsAndStayInTheRange) {
  const GridCase& c = GetParam();
  const std::vector<double> values = GridValues(c.grid, 100000);
  EXPECT_EQ(values, c.values);
  for (const double value : values) {
    EXPECT_GE(value, c.grid.from);
    EXPECT_LE(value, c.grid.to);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, GridValuesTest,
    ::testing::Values(
        // Repeated addition would end at 1.4000000000000001, beyond TO.
        GridCase{{0.6, 1.4, 0.1}, {0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2000000000000002, 1.3, 1.4}},
        // 0.05 + 3*0.05 is 0.2 exactly.
        GridCase{{0.05, 0.2, 0.05}, {0.05, 0.1, 0.15000000000000002, 0.2}},
        // -0.2 + 3*0.05 = -0.04999999999999999 is above TO: it is TO.
        GridCase{{-0.2, -0.05, 0.05}, {-0.2, -0.15000000000000002, -0.1, -0.05}},
        // TO between two values: the last value is the one below it.
        GridCase{{0.01, 0.025, 0.01}, {0.01, 0.02}}, GridCase{{1.0, 1.0, 0.5}, {1.0}},
        GridCase{{-0.2, 0.0, 0.1}, {-0.2, -0.1, 0.0}},
        // A step larger than the range: FROM alone.
        GridCase{{0.9, 1.1, 0.5}, {0.9}}));

TEST(ValueGrid, EndsAtToOverLongGridsAndCountsPastTheLimit) {
  // 0.8 + 40*0.01 = 1.2000000000000002: the window's K range as a grid.
  const ValueGrid k{0.8, 1.2, 0.01};
  ASSERT_EQ(GridCount(k, 1000), 41U);
  EXPECT_EQ(GridValue(k, 40), 1.2);
  EXPECT_EQ(GridValue(k, 20), 0.8 + 20 * 0.01);
  // 100 000 intervals whose quotient is not exactly whole.
  const ValueGrid fine{0.0, 1.0, 1e-5};
  ASSERT_EQ(GridCount(fine, 200000), 100001U);
  EXPECT_EQ(GridValue(fine, 100000), 1.0);
  // More values than the limit: the count stops just past it.
  EXPECT_EQ(GridCount(fine, 1000), 1001U);
  EXPECT_EQ(GridCount({0.5, 0.6, 1e-20}, 1000), 1001U);
  EXPECT_EQ(GridCount({-1e308, 1e308, 1.0}, 1000), 1001U);
  EXPECT_EQ(GridValues(fine, 1000).size(), 1000U);
}

}  // namespace
}  // namespace recmod
