#include "model/Normalisation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class NormaliseDemeTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildHaplotypeTables(2, tables); }
  HaplotypeTables tables;
  PopulationState population;
};

TEST_F(NormaliseDemeTest, ClearsNegativesThenDividesByTheJointSum) {
  SetSlot(population, 0, 1, {0.3, 0.1, 0, 0});
  SetSlot(population, 1, 1, {0.4, -0.05, 0, 0});
  NormaliseDeme(tables, population, 1, 0);
  EXPECT_DOUBLE_EQ(population.Freq(0, 1, 1), 0.375);
  EXPECT_DOUBLE_EQ(population.Freq(0, 1, 2), 0.125);
  EXPECT_DOUBLE_EQ(population.Freq(1, 1, 1), 0.5);
  EXPECT_EQ(population.Freq(1, 1, 2), 0.0);
  EXPECT_FALSE(std::signbit(population.Freq(1, 1, 2)));
}

TEST_F(NormaliseDemeTest, ASumOfExactlyOneIsLeftBitForBit) {
  SetSlot(population, 0, 1, {0.25, 0.125, 0.0625, 0.0625});
  SetSlot(population, 1, 1, {0.25, 0.125, 0.125, 0});
  double total = 0.0;
  for (int k = 0; k <= 1; ++k)
    for (int h = 1; h <= 4; ++h) total += population.Freq(k, 1, h);
  ASSERT_EQ(total, 1.0);
  const PopulationState before = population;
  NormaliseDeme(tables, population, 1, 0);
  EXPECT_EQ(std::memcmp(&before, &population, sizeof population), 0);
}

TEST_F(NormaliseDemeTest, NegativesAreClearedEvenWhenTheSumIsOne) {
  SetSlot(population, 0, 1, {1.0, 0.25, -0.25, 0});
  NormaliseDeme(tables, population, 1, 0);
  // The sum after clearing is 1.25, so the deme is rescaled to 1.
  EXPECT_EQ(population.Freq(0, 1, 3), 0.0);
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1));
}

TEST_F(NormaliseDemeTest, TouchesOnlyItsPairOfSlotsDemeAndHaplotypes) {
  SetSlot(population, 0, 1, {0.5, 0.5, 0.5, 0.5});
  population.Freq(0, 1, 5) = 7.0;   // beyond HaplotypeCount
  population.Freq(2, 1, 1) = 3.0;   // another slot
  population.Freq(0, 2, 1) = 9.0;   // another deme
  population.Freq(3, 1, 1) = 0.25;  // the means pair
  population.Freq(4, 1, 2) = 0.25;
  NormaliseDeme(tables, population, 1, 0);
  EXPECT_EQ(population.Freq(0, 1, 1), 0.25);
  EXPECT_EQ(population.Freq(0, 1, 5), 7.0);
  EXPECT_EQ(population.Freq(2, 1, 1), 3.0);
  EXPECT_EQ(population.Freq(0, 2, 1), 9.0);

  NormaliseDeme(tables, population, 1, 3);
  EXPECT_EQ(population.Freq(3, 1, 1), 0.5);
  EXPECT_EQ(population.Freq(4, 1, 2), 0.5);
}

TEST_F(NormaliseDemeTest, ADemeWithNoPositiveEntryIsAnErrorNotADivisionByZero) {
  SetSlot(population, 0, 7, {0, -0.1, 0, 0});
  SetSlot(population, 1, 7, {-0.2, 0, 0, 0});
  try {
    NormaliseDeme(tables, population, 7, 0);
    FAIL() << "an empty deme was rescaled";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::EmptyDeme);
    EXPECT_NE(std::string(error.what()).find("Empty deme"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("deme 7"), std::string::npos);
  }
  for (int k = 0; k <= 1; ++k)
    for (int h = 1; h <= 4; ++h) EXPECT_FALSE(std::isnan(population.Freq(k, 7, h)));
}

}  // namespace
}  // namespace recmod
