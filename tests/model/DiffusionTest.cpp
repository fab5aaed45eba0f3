#include "model/Diffusion.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "model/ModelParameters.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class DiffusionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildHaplotypeTables(2, tables);
    params.Demes = 2;
    params.Diffusion = 1.0F;
  }
  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  RandomDraw draw;  // infinite population unless a test says otherwise
};

TEST_F(DiffusionTest, TwoDemesExchangeHalfTheirGenesAtRateOne) {
  SetSlot(population, 0, 1, {1, 0, 0, 0});
  SetSlot(population, 0, 2, {0, 0, 0, 1});
  DiffuseBetweenDemes(params, tables, population, draw);
  EXPECT_EQ(population.Freq(0, 1, 1), 0.75);
  EXPECT_EQ(population.Freq(0, 1, 4), 0.25);
  EXPECT_EQ(population.Freq(0, 2, 1), 0.25);
  EXPECT_EQ(population.Freq(0, 2, 4), 0.75);
  EXPECT_EQ(population.Freq(3, 1, 1), 0.5);
  EXPECT_EQ(population.Freq(3, 1, 4), 0.5);
  for (int h = 1; h <= 4; ++h) EXPECT_EQ(population.Freq(4, 1, h), 0.0);
}

TEST_F(DiffusionTest, OneDemeIsNotTouched) {
  params.Demes = 1;
  SetSlot(population, 0, 1, {0.5, 0.2, 0.2, 0.1});
  const PopulationState before = population;
  draw.InfinitePopulation = false;
  draw.PopulationSize = 100.0;
  const UniformGenerator generator = draw.generator;
  DiffuseBetweenDemes(params, tables, population, draw);
  EXPECT_EQ(population.FreqTable, before.FreqTable);
  EXPECT_TRUE(testing::AdvancedBy(generator, draw.generator, 0));
}

TEST_F(DiffusionTest, EqualDemesStayEqualAndMeansAreKept) {
  params.Demes = 5;
  params.Diffusion = 0.3F;
  for (int d = 1; d <= 5; ++d) {
    SetSlot(population, 0, d, {0.1, 0.2, 0.3, 0.15});
    SetSlot(population, 1, d, {0.05, 0.1, 0.05, 0.05});
  }
  DiffuseBetweenDemes(params, tables, population, draw);
  for (int d = 1; d <= 5; ++d) {
    EXPECT_TRUE(testing::DemeNormalised(population, tables, d));
    EXPECT_NEAR(population.Freq(0, d, 3), 0.3, 1e-15);
    EXPECT_NEAR(population.Freq(1, d, 2), 0.1, 1e-15);
  }
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1, 3));
  EXPECT_NEAR(population.Freq(3, 1, 4), 0.15, 1e-15);
}

TEST_F(DiffusionTest, ZeroRateStillFormsTheMeansAndConsumesDraws) {
  params.Diffusion = 0.0F;
  SetSlot(population, 0, 1, {0.5, 0, 0, 0});
  SetSlot(population, 1, 1, {0, 0.5, 0, 0});
  SetSlot(population, 0, 2, {0, 0, 1, 0});
  const PopulationState before = population;
  DiffuseBetweenDemes(params, tables, population, draw);
  for (int d = 1; d <= 2; ++d)
    for (int c = 0; c <= 1; ++c)
      for (int h = 1; h <= 4; ++h) EXPECT_EQ(population.Freq(c, d, h), before.Freq(c, d, h));
  EXPECT_EQ(population.Freq(3, 1, 1), 0.25);
  EXPECT_EQ(population.Freq(3, 1, 3), 0.5);
  EXPECT_EQ(population.Freq(4, 1, 2), 0.25);

  // Finite: one draw per class, haplotype and deme, even at rate 0.
  draw.InfinitePopulation = false;
  draw.PopulationSize = 1000.0;
  const UniformGenerator generator = draw.generator;
  DiffuseBetweenDemes(params, tables, population, draw);
  EXPECT_TRUE(testing::AdvancedBy(generator, draw.generator, 2 * 4 * 2 * 2));
}

TEST_F(DiffusionTest, RateEntersInSinglePrecision) {
  params.Diffusion = 0.1F;
  SetSlot(population, 0, 1, {1, 0, 0, 0});
  SetSlot(population, 0, 2, {0, 0, 0, 1});
  DiffuseBetweenDemes(params, tables, population, draw);
  // Immigrants D x mean with D = 0.100000001490116..., then rescaled by 1 + D.
  const double d = static_cast<double>(0.1F);
  EXPECT_NE(d, 0.1);
  EXPECT_EQ(population.Freq(0, 1, 1),
            (1.0 + (d * 1.0) / 2) / (1.0 + (d * 1.0) / 2 + (d * 1.0) / 2));
}

TEST_F(DiffusionTest, FiniteDemesReceiveTheirOwnWholeNumberOfImmigrants) {
  params.Demes = 4;
  params.Diffusion = 0.5F;
  draw.InfinitePopulation = false;
  draw.PopulationSize = 10000.0;
  draw.generator.Seed(3);
  for (int d = 1; d <= 4; ++d) SetSlot(population, 0, d, {0.25, 0.25, 0.25, 0.25});
  // Before the rescaling every deme holds 0.25 plus k / N immigrants, k around
  // N x 0.5 x 0.25 = 1250; the rescaled entries therefore differ between demes.
  DiffuseBetweenDemes(params, tables, population, draw);
  std::set<double> entries;
  for (int d = 1; d <= 4; ++d) {
    EXPECT_TRUE(testing::DemeNormalised(population, tables, d));
    entries.insert(population.Freq(0, d, 1));
  }
  EXPECT_GT(entries.size(), 1u);
}

}  // namespace
}  // namespace recmod
