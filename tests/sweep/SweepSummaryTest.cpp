// The statistics of a point of a sweep: worked numbers.
#include "sweep/SweepSummary.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace recmod {
namespace {

struct WilsonCase {
  std::int64_t k;
  std::int64_t n;
  double low;
  double high;
};

class Wilson : public ::testing::TestWithParam<WilsonCase> {};

// Reference values of the 95 % Wilson score interval, to four decimals.
TEST_P(Wilson, IntervalsMatchTheScoreFormula) {
  const WilsonCase& c = GetParam();
  const Share share = WilsonShare(c.k, c.n);
  EXPECT_DOUBLE_EQ(share.value, static_cast<double>(c.k) / static_cast<double>(c.n));
  EXPECT_NEAR(share.low, c.low, 5e-5);
  EXPECT_NEAR(share.high, c.high, 5e-5);
}

INSTANTIATE_TEST_SUITE_P(SweepSummary, Wilson,
                         ::testing::Values(WilsonCase{0, 10, 0.0, 0.2775},
                                           WilsonCase{5, 10, 0.2366, 0.7634},
                                           WilsonCase{10, 10, 0.7225, 1.0},
                                           WilsonCase{30, 100, 0.2189, 0.3958}));

TEST(SweepSummary, AccumulatesMeanSpreadAndFixation) {
  PointSummary point;
  point.Add({1.0, RunOutcome::Fixed, 40});
  point.Add({0.0, RunOutcome::Lost, 12});
  point.Add({1.0, RunOutcome::Fixed, 60});
  point.Add({0.4, RunOutcome::Segregating, 0});
  EXPECT_EQ(point.count(), 4);
  EXPECT_DOUBLE_EQ(point.mean(), 0.6);
  // Deviations 0.4, -0.6, 0.4, -0.2: squares 0.72 over n - 1 = 3.
  EXPECT_DOUBLE_EQ(point.standardDeviation(), std::sqrt(0.72 / 3.0));
  EXPECT_DOUBLE_EQ(point.standardError(), std::sqrt(0.72 / 3.0) / 2.0);
  EXPECT_DOUBLE_EQ(point.fixed().value, 0.5);
  EXPECT_DOUBLE_EQ(point.lost().value, 0.25);
  EXPECT_DOUBLE_EQ(*point.meanFixationGeneration(), 50.0);

  PointSummary none;
  none.Add({0.3, RunOutcome::Segregating, -1});
  EXPECT_EQ(none.standardDeviation(), 0.0);
  EXPECT_FALSE(none.meanFixationGeneration().has_value());
}

}  // namespace
}  // namespace recmod
