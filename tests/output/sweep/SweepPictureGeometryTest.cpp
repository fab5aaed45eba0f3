// The arithmetic behind the pictures of sweeps: the diverging colours, the
// contour at the start frequency, and the ticks of the axes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <utility>

#include "output/sweep/AxisTicks.hpp"
#include "output/sweep/ContourLines.hpp"
#include "output/sweep/DivergingColourScale.hpp"

namespace recmod {
namespace {

TEST(DivergingColour, WhiteAtTheStartRedWhereRPlusGainedBlueWhereItLost) {
  for (const double centre : {0.5, 0.3, 0.9}) {
    EXPECT_EQ(DivergingColour(centre, centre), (Rgb{255, 255, 255}));
    EXPECT_EQ(DivergingColour(1.0, centre), kSexColour);
    EXPECT_EQ(DivergingColour(0.0, centre), kAsexColour);
    // Beyond the ends: the colour of the nearer end.
    EXPECT_EQ(DivergingColour(1.5, centre), kSexColour);
    EXPECT_EQ(DivergingColour(-0.1, centre), kAsexColour);
  }
  // Halfway from the start frequency to an end: halfway from white to its
  // colour, whatever the centre (to a unit of rounding).
  EXPECT_EQ(DivergingColour(0.75, 0.5), (Rgb{224, 128, 128}));
  EXPECT_EQ(DivergingColour(0.25, 0.5), (Rgb{128, 128, 255}));
  const Rgb gained = DivergingColour(0.65, 0.3);
  const Rgb lost = DivergingColour(0.15, 0.3);
  EXPECT_NEAR(gained.red, 224, 1);
  EXPECT_NEAR(gained.green, 128, 1);
  EXPECT_NEAR(lost.red, 128, 1);
  EXPECT_EQ(lost.blue, 255);

  // Deeper colour the further from the start, on either side.
  Rgb previous = DivergingColour(0.5, 0.5);
  for (double value = 0.55; value <= 1.0; value += 0.05) {
    const Rgb colour = DivergingColour(value, 0.5);
    EXPECT_LE(colour.green, previous.green);
    EXPECT_EQ(colour.green, colour.blue);
    EXPECT_GT(colour.red, colour.green);
    previous = colour;
  }
  previous = DivergingColour(0.5, 0.5);
  for (double value = 0.45; value >= 0.0; value -= 0.05) {
    const Rgb colour = DivergingColour(value, 0.5);
    EXPECT_LE(colour.red, previous.red);
    EXPECT_EQ(colour.red, colour.green);
    EXPECT_EQ(colour.blue, 255);
    previous = colour;
  }
}

bool Near(double a, double b) {
  return std::abs(a - b) < 1e-12;
}

TEST(ContourSegments, CrossingsLieWhereTheValuesReachTheLevel) {
  // Column 0 at 0, column 1 at 1: the line runs up the middle.
  const auto straight = ContourSegments({{0.0, 0.0}, {1.0, 1.0}}, 0.5);
  ASSERT_EQ(straight.size(), 1U);
  EXPECT_TRUE(Near(straight[0].x1, 0.5) && Near(straight[0].x2, 0.5));
  EXPECT_TRUE(Near(std::min(straight[0].y1, straight[0].y2), 0.0));
  EXPECT_TRUE(Near(std::max(straight[0].y1, straight[0].y2), 1.0));
  // Interpolated along the edge: .2 to 1 reaches .4 a quarter of the way.
  const auto quarter = ContourSegments({{0.2, 0.2}, {1.0, 1.0}}, 0.4);
  ASSERT_EQ(quarter.size(), 1U);
  EXPECT_TRUE(Near(quarter[0].x1, 0.25) && Near(quarter[0].x2, 0.25));

  // Nothing to draw: all on one side, a single column, a missing corner.
  EXPECT_TRUE(ContourSegments({{0.6, 0.7}, {0.8, 0.9}}, 0.5).empty());
  EXPECT_TRUE(ContourSegments({{0.0, 1.0}}, 0.5).empty());
  EXPECT_TRUE(ContourSegments({{0.0, std::nan("")}, {1.0, 1.0}}, 0.5).empty());
  EXPECT_TRUE(ContourSegments({{0.0, 0.0}, {1.0}}, 0.5).empty());  // stopped sweep
  EXPECT_TRUE(ContourSegments({}, 0.5).empty());
}

TEST(ContourSegments, SaddlesAreSplitByTheMeanOfTheirCorners) {
  // Corners (0,0) and (1,1) high, (1,0) and (0,1) low.
  auto cutCorners = [](double high, double level) {
    std::vector<std::pair<double, double>> midpoints;
    for (const ContourSegment& s : ContourSegments({{high, 0.0}, {0.0, high}}, level)) {
      midpoints.emplace_back((s.x1 + s.x2) / 2.0, (s.y1 + s.y2) / 2.0);
    }
    return midpoints;
  };
  // Mean 0.5 at level 0.4: the middle is high, the two low corners are cut off.
  const auto highMiddle = cutCorners(1.0, 0.4);
  ASSERT_EQ(highMiddle.size(), 2U);
  for (const auto& [x, y] : highMiddle) {
    EXPECT_TRUE((x > 0.5 && y < 0.5) || (x < 0.5 && y > 0.5)) << x << "," << y;
  }
  // Mean 0.5 at level 0.6: the middle is low, the two high corners are cut off.
  const auto lowMiddle = cutCorners(1.0, 0.6);
  ASSERT_EQ(lowMiddle.size(), 2U);
  for (const auto& [x, y] : lowMiddle) {
    EXPECT_TRUE((x < 0.5 && y < 0.5) || (x > 0.5 && y > 0.5)) << x << "," << y;
  }
}

// On a plane v = a x + b y the line is exact: every end lies on a x + b y =
// level, and the pieces join into a path (every inner end is shared by two).
TEST(ContourSegments, ALinearFieldGivesTheExactJoinedLine) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> uniform(0.1, 1.0);
  for (int trial = 0; trial < 50; ++trial) {
    const double a = uniform(random);
    const double b = uniform(random);
    GridValues grid(7, std::vector<double>(5));
    for (std::size_t x = 0; x < 7; ++x) {
      for (std::size_t y = 0; y < 5; ++y) grid[x][y] = a * double(x) + b * double(y);
    }
    const double level = uniform(random) * (6.0 * a + 4.0 * b);
    const auto segments = ContourSegments(grid, level);
    ASSERT_FALSE(segments.empty());
    std::map<std::pair<long, long>, int> ends;
    for (const ContourSegment& s : segments) {
      EXPECT_NEAR(a * s.x1 + b * s.y1, level, 1e-9);
      EXPECT_NEAR(a * s.x2 + b * s.y2, level, 1e-9);
      for (const auto& [x, y] : {std::pair{s.x1, s.y1}, std::pair{s.x2, s.y2}}) {
        ++ends[{std::lround(x * 1e6), std::lround(y * 1e6)}];
      }
    }
    int loose = 0;
    for (const auto& [point, count] : ends) {
      EXPECT_LE(count, 2);
      if (count == 1) ++loose;
    }
    EXPECT_EQ(loose, 2) << "one unbroken line from edge to edge";
  }
}

std::vector<std::string> Labels(const std::vector<double>& ticks) {
  std::vector<std::string> labels;
  for (const double tick : ticks) labels.push_back(PictureNumberText(tick));
  return labels;
}

TEST(AxisTicks, RoundValuesWithinTheRangeInTheReportFormat) {
  using Texts = std::vector<std::string>;
  EXPECT_EQ(Labels(AxisTicks(0.01, 0.2, 6)), (Texts{".05", ".1", ".15", ".2"}));
  EXPECT_EQ(Labels(AxisTicks(0.8, 1.2, 6)), (Texts{".8", ".9", "1", "1.1", "1.2"}));
  EXPECT_EQ(Labels(AxisTicks(0.75, 4.25, 8)), (Texts{"1", "1.5", "2", "2.5", "3", "3.5", "4"}));
  EXPECT_EQ(Labels(AxisTicks(0.0, 1.0, 6)), (Texts{"0", ".2", ".4", ".6", ".8", "1"}));
  EXPECT_EQ(Labels(AxisTicks(-0.2, 0.3, 6)), (Texts{"-.2", "-.1", "0", ".1", ".2", ".3"}));
  EXPECT_EQ(Labels(AxisTicks(0.2, 0.2, 6)), (Texts{".2"}));
  EXPECT_EQ(PictureNumberText(1e-05), "1E-05");
  EXPECT_EQ(PictureNumberTextSingle(1.5F), "1.5");

  // Whatever the range, at most `most` ticks, at least two, all inside.
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(-3.0, 3.0);
  for (int trial = 0; trial < 500; ++trial) {
    const double low = uniform(random);
    const double high = low + std::pow(10.0, uniform(random));
    const auto ticks = AxisTicks(low, high, 6);
    EXPECT_GE(ticks.size(), 2U);
    EXPECT_LE(ticks.size(), 6U);
    for (const double tick : ticks) {
      EXPECT_GE(tick, low - 1e-9 * (high - low));
      EXPECT_LE(tick, high + 1e-9 * (high - low));
    }
  }
}

TEST(AxisTicks, LogAxesTickRoundMultiplesOfPowersOfTen) {
  using Texts = std::vector<std::string>;
  EXPECT_EQ(Labels(LogAxisTicks(1e-4, 1e-2, 6)), (Texts{".0001", ".001", ".01"}));
  EXPECT_EQ(Labels(LogAxisTicks(1e-4, 1e-3, 6)), (Texts{".0001", ".0002", ".0005", ".001"}));
  EXPECT_EQ(Labels(LogAxisTicks(3e-3, 0.2, 6)), (Texts{".005", ".01", ".02", ".05", ".1", ".2"}));
  // Every second power of ten would be 7: every third.
  EXPECT_EQ(Labels(LogAxisTicks(1e-12, 1.0, 6)), (Texts{"1E-12", "1E-09", "1E-06", ".001", "1"}));
  // Within a decade, round values.
  EXPECT_EQ(Labels(LogAxisTicks(0.3, 0.4, 6)), (Texts{".3", ".32", ".34", ".36", ".38", ".4"}));
  EXPECT_TRUE(LogAxisTicks(0.0, 1.0, 6).empty());

  // Whatever the positive range, at most `most` ticks, at least two, all
  // inside, increasing.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> exponent(-300.0, 300.0);
  std::uniform_real_distribution<double> decades(-1.0, 2.7);
  for (int trial = 0; trial < 500; ++trial) {
    const double low = std::pow(10.0, exponent(random));
    const double high = low * (1.0 + std::pow(10.0, decades(random)));
    const auto ticks = LogAxisTicks(low, high, 6);
    EXPECT_GE(ticks.size(), 2U) << low << " " << high;
    EXPECT_LE(ticks.size(), 6U) << low << " " << high;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_GE(ticks[i], low * (1 - 1e-9));
      EXPECT_LE(ticks[i], high * (1 + 1e-9));
      if (i > 0) {
        EXPECT_GT(ticks[i], ticks[i - 1]);
      }
    }
  }
}

TEST(AxisTicks, PositionsAmongTheCellValues) {
  const std::vector<double> k = {0.8, 0.9, 1.0, 1.1};
  EXPECT_TRUE(PositionAmong(k, 0.95).valid);
  EXPECT_NEAR(PositionAmong(k, 0.95).index, 1.5, 1e-12);
  EXPECT_NEAR(PositionAmong(k, 0.8).index, 0.0, 1e-12);
  EXPECT_NEAR(PositionAmong(k, 1.15).index, 3.5, 1e-12);  // half a cell beyond
  EXPECT_NEAR(PositionAmong(k, 0.75).index, -0.5, 1e-12);
  EXPECT_TRUE(PositionAmong({0.5}, 0.5).valid);
  EXPECT_FALSE(PositionAmong({0.5}, 0.6).valid);
  EXPECT_FALSE(PositionAmong({0.5, 0.5}, 0.5).valid);  // not increasing
  EXPECT_FALSE(PositionAmong({}, 0.5).valid);
}

}  // namespace
}  // namespace recmod
