// What a user writes after --sweep: the values it stands for, and a clear
// refusal, naming the parameter, for everything that cannot be swept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/SweepOptionText.hpp"

namespace recmod {
namespace {

constexpr std::size_t kLimit = 10000000;

struct ValuesCase {
  const char* text;
  std::vector<double> values;
};

class SweepValues : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(SweepValues, AreTheGridTheLogScaleOrTheList) {
  EXPECT_EQ(ParseSweepValues(GetParam().text, kLimit), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    SweepAxis, SweepValues,
    ::testing::Values(ValuesCase{"0.8:1.2:0.1", {0.8, 0.9, 1.0, 1.1, 1.2}},
                      // 0.8 + 40 * 0.01 is 1.2000000000000002, which passes TO only by rounding.
                      ValuesCase{"1:1.2:0.1", {1.0, 1.1, 1.2}}, ValuesCase{"0.5:0.5:0.1", {0.5}},
                      ValuesCase{"1e-4:1e-2:log:3", {1e-4, 1e-3, 1e-2}},
                      ValuesCase{"2:2:log:1", {2.0}}, ValuesCase{"0.1,0.3,0.2", {0.1, 0.3, 0.2}},
                      ValuesCase{"-0.5", {-0.5}},
                      // Steps add in decimal: 0.6 + 3 * 0.2 in doubles is 1.2000000000000002.
                      ValuesCase{"0.6:1.4:0.2", {0.6, 0.8, 1.0, 1.2, 1.4}},
                      ValuesCase{"-0.1:0.1:0.04", {-0.1, -0.06, -0.02, 0.02, 0.06, 0.1}},
                      ValuesCase{"1e-4:5e-4:1e-4", {1e-4, 2e-4, 3e-4, 4e-4, 5e-4}},
                      ValuesCase{"0.07:0.14:0.035", {0.07, 0.105, 0.14}}));

TEST(SweepAxis, TheGridFrom08To12EndsExactlyAt12) {
  const std::vector<double> values = ParseSweepValues("0.8:1.2:0.01", kLimit);
  ASSERT_EQ(values.size(), 41u);
  EXPECT_EQ(values.back(), 1.2);
  for (const double value : values) EXPECT_LE(value, 1.2);
  EXPECT_EQ(values[3], 0.83);
  EXPECT_EQ(values[29], 1.09);
}

struct RefusalCase {
  const char* option;
  const char* message;
};

class SweepRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SweepRefusals, NameWhatIsWrong) {
  try {
    ParseSweepOption(GetParam().option, 100);
    FAIL() << "accepted " << GetParam().option;
  } catch (const SweepError& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SweepAxis, SweepRefusals,
    ::testing::Values(
        RefusalCase{"maxgne=10,20",
                    "no parameter \"maxgne\" (did you mean max_gen?); recmod-batch --parameters "
                    "lists them"},
        RefusalCase{"u=", "u: the list of values is empty"},
        RefusalCase{"u=1e-4,,1e-3", "u: value \"\" is not a finite number"},
        RefusalCase{"u=0:1:0", "u: STEP must be above 0"},
        RefusalCase{"u=0:1:-0.1", "u: STEP must be above 0"},
        RefusalCase{"u=0:1:nan", "u: STEP \"nan\" is not a finite number"},
        RefusalCase{"K=1.2:0.8:0.1", "K: FROM must not be above TO"},
        RefusalCase{"u=0:1e-2:log:3", "u: a log scale needs FROM and TO above 0"},
        RefusalCase{"u=0:1:1e-5", "u: more than 100 values on one axis"},
        RefusalCase{"u=0.5,2", "u = 2 is outside its model domain [0, 1]"},
        RefusalCase{"S=-1", "S = -1 is outside its model domain (-1, inf)"},
        RefusalCase{"demes=2.5", "demes = 2.5 is outside its model domain [1, 100] whole"},
        RefusalCase{"iterations=2,3",
                    "iterations shapes the window's loop; a sweep has replicates instead"},
        RefusalCase{"loci=2,3", "loci cannot be swept: no run holds it"},
        RefusalCase{"=1", "\"=1\" is not of the form NAME=VALUES"}));

TEST(SweepAxis, AnAxisTwiceIsRefusedAndAliasesReachTheirParameter) {
  std::vector<SweepAxis> axes{ParseSweepOption("maxgen=100", 100),
                              ParseSweepOption("max_gen=200", 100)};
  EXPECT_EQ(axes[0].parameter->name, "max_gen");
  EXPECT_THROW(CheckDistinctAxes(axes), SweepError);
}

}  // namespace
}  // namespace recmod
