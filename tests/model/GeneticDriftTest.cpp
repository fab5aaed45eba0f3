#include "model/GeneticDrift.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model/ModelParameters.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class GeneticDriftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildHaplotypeTables(2, tables);
    params.Demes = 1;
    draw.InfinitePopulation = false;
    draw.generator.Seed(99);
  }
  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  RandomDraw draw;
};

TEST_F(GeneticDriftTest, InfinitePopulationLeavesTheTableAlone) {
  draw.InfinitePopulation = true;
  SetSlot(population, 0, 1, {0.25, 0.125, 0.0625, 0.0625});
  SetSlot(population, 1, 1, {0.25, 0.125, 0.125, 0});
  const PopulationState before = population;
  ApplyGeneticDrift(params, tables, population, draw);
  for (int k = 0; k <= 1; ++k)
    for (int h = 1; h <= 4; ++h) EXPECT_EQ(population.Freq(k, 1, h), before.Freq(k, 1, h));
}

TEST_F(GeneticDriftTest, ZerosStayZeroAndAFixedHaplotypeStaysFixed) {
  draw.PopulationSize = std::pow(10.0, 1.5);  // not a whole number
  SetSlot(population, 1, 1, {0, 0, 1, 0});
  for (int generation = 0; generation < 50; ++generation) {
    ApplyGeneticDrift(params, tables, population, draw);
    ASSERT_EQ(population.Freq(1, 1, 3), 1.0);
    for (int h : {1, 2, 4}) ASSERT_EQ(population.Freq(1, 1, h), 0.0);
    for (int h = 1; h <= 4; ++h) ASSERT_EQ(population.Freq(0, 1, h), 0.0);
  }
}

TEST_F(GeneticDriftTest, HalfAnIndividualBecomesNoneOrOneWithEqualChance) {
  // N = 10, entry 0.05 (0.5 expected individuals) beside a large entry that
  // keeps the deme from emptying; before the rescaling the small entry is 0 or
  // 0.1, so afterwards it is 0 or positive.
  draw.PopulationSize = 10.0;
  const int trials = 4000;
  int ones = 0;
  for (int i = 0; i < trials; ++i) {
    population.ClearFreq();
    SetSlot(population, 0, 1, {0.05, 0.95, 0, 0});
    ApplyGeneticDrift(params, tables, population, draw);
    ASSERT_TRUE(testing::DemeNormalised(population, tables, 1));
    if (population.Freq(0, 1, 1) > 0.0) ++ones;
  }
  EXPECT_NEAR(ones, trials / 2, 4.0 * std::sqrt(trials * 0.25));
}

TEST_F(GeneticDriftTest, EntriesAreDrawnInDemeSlotHaplotypeOrderEachWithItsOwnPair) {
  params.Demes = 2;
  draw.PopulationSize = 1000.0;
  for (int d = 1; d <= 2; ++d) {
    SetSlot(population, 0, d, {0.1, 0.2, 0.3, 0.15});
    SetSlot(population, 1, d, {0.05, 0.1, 0.05, 0.05});
  }
  PopulationState expected = population;
  RandomDraw replay = draw;
  const UniformGenerator before = draw.generator;
  ApplyGeneticDrift(params, tables, population, draw);
  EXPECT_TRUE(testing::AdvancedBy(before, draw.generator, 2 * 2 * 4 * 2));

  for (int d = 1; d <= 2; ++d) {
    for (int c = 0; c <= 1; ++c)
      for (int h = 1; h <= 4; ++h)
        expected.Freq(c, d, h) = DrawFrequency(replay, expected.Freq(c, d, h));
    double total = 0.0;
    for (int c = 0; c <= 1; ++c)
      for (int h = 1; h <= 4; ++h) total += expected.Freq(c, d, h);
    for (int c = 0; c <= 1; ++c)
      for (int h = 1; h <= 4; ++h)
        EXPECT_EQ(population.Freq(c, d, h), expected.Freq(c, d, h) / total);
  }
}

}  // namespace
}  // namespace recmod
