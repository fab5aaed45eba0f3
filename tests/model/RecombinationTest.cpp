#include "model/Recombination.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "model/ModelParameters.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class RecombinationTest : public ::testing::Test {
 protected:
  void Prepare(std::int16_t loci, float z) {
    BuildHaplotypeTables(loci, tables);
    params.Demes = 1;
    params.z = z;
  }
  // R+ "Ab" = "aB" = 0.25, R- "ab'" = 0.5: the deme of the worked examples.
  void FillExampleDeme(int deme = 1) {
    SetSlot(population, 0, deme, {0, 0.25, 0.25, 0});
    SetSlot(population, 1, deme, {0.5, 0, 0, 0});
  }
  void Run() { Recombine(params, tables, population, draw); }

  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  RandomDraw draw;  // infinite population
};

TEST_F(RecombinationTest, WithoutRecombiningAsexOnlySexMovesHalfwayToEquilibrium) {
  Prepare(2, 0.0F);
  FillExampleDeme();
  Run();
  EXPECT_EQ(population.Freq(0, 1, 1), 0.0625);
  EXPECT_EQ(population.Freq(0, 1, 2), 0.1875);
  EXPECT_EQ(population.Freq(0, 1, 3), 0.1875);
  EXPECT_EQ(population.Freq(0, 1, 4), 0.0625);
  EXPECT_EQ(population.Freq(1, 1, 1), 0.5);
  for (int h = 2; h <= 4; ++h) EXPECT_EQ(population.Freq(1, 1, h), 0.0);
  for (int h = 1; h <= 4; ++h) EXPECT_EQ(population.Freq(2, 1, h), 0.0) << "slot 2 untouched";
}

TEST_F(RecombinationTest, FullyRecombiningAsexJoinsOnePool) {
  Prepare(2, 1.0F);
  FillExampleDeme();
  Run();
  // Pool allele frequencies a = b = 0.75, A = B = 0.25.
  EXPECT_EQ(population.AlleleFreq(1), 0.75);
  EXPECT_EQ(population.AlleleFreq(4), 0.25);
  EXPECT_EQ(population.Freq(0, 1, 1), 0.140625);
  EXPECT_EQ(population.Freq(0, 1, 2), 0.171875);
  EXPECT_EQ(population.Freq(0, 1, 3), 0.171875);
  EXPECT_EQ(population.Freq(0, 1, 4), 0.015625);
  EXPECT_EQ(population.Freq(1, 1, 1), 0.390625);
  EXPECT_EQ(population.Freq(1, 1, 2), 0.046875);
  EXPECT_EQ(population.Freq(1, 1, 3), 0.046875);
  EXPECT_EQ(population.Freq(1, 1, 4), 0.015625);
  // Slot 2 holds the recombining share of R- as it was: all of it.
  EXPECT_EQ(population.Freq(2, 1, 1), 0.5);
  for (int h = 2; h <= 4; ++h) EXPECT_EQ(population.Freq(2, 1, h), 0.0);
}

TEST_F(RecombinationTest, PartialRecombinationKeepsTheNonRecombiningShare) {
  // z = 0.25 (exact in single precision): R- keeps 0.75 of its haplotypes and
  // half of the other quarter moves to the pool's equilibrium.
  Prepare(2, 0.25F);
  FillExampleDeme();
  Run();
  const double s0 = 0.5;
  const double s2 = 0.125;
  const double T = s0 + s2;
  const double a = (0.125 + 0.25) / T;  // allele a: slot 2 "ab" + slot 0 "aB"
  const double A = 1 - a;
  EXPECT_NEAR(population.Freq(2, 1, 1), s2, 1e-15);
  EXPECT_NEAR(population.Freq(0, 1, 1), (0 + a * a * s0) / 2, 1e-15);
  EXPECT_NEAR(population.Freq(0, 1, 2), (0.25 + A * a * s0) / 2, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 1), 0.5 - 0.25 * 0.5 / 2 + a * a * s2 / 2, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 4), A * A * s2 / 2, 1e-15);
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1));
  double asex = 0.0;
  for (int h = 1; h <= 4; ++h) asex += population.Freq(1, 1, h);
  EXPECT_NEAR(asex, 0.5, 1e-15) << "each class keeps its mass";
}

TEST_F(RecombinationTest, AClassInLinkageEquilibriumDoesNotMove) {
  Prepare(3, 0.0F);
  // R+ with allele frequencies a = 0.2, b = 0.7, c = 0.4 at mass 0.6.
  const double pa[2] = {0.2, 0.8};
  const double pb[2] = {0.7, 0.3};
  const double pc[2] = {0.4, 0.6};
  const int upper[9][3] = {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                           {1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};
  for (int h = 1; h <= 8; ++h) {
    population.Freq(0, 1, h) = 0.6 * pa[upper[h][0]] * pb[upper[h][1]] * pc[upper[h][2]];
  }
  population.Freq(1, 1, 8) = 0.4;
  const PopulationState before = population;
  Run();
  for (int h = 1; h <= 8; ++h) EXPECT_NEAR(population.Freq(0, 1, h), before.Freq(0, 1, h), 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 8), 0.4, 1e-15);
}

TEST_F(RecombinationTest, NegativeZAndEmptySexClassLeaveTheDemeAlone) {
  Prepare(2, -0.5F);
  FillExampleDeme();
  const PopulationState before = population;
  Run();
  EXPECT_EQ(population.FreqTable, before.FreqTable);

  Prepare(2, 0.0F);
  population.ClearFreq();
  SetSlot(population, 1, 1, {0.5, 0, 0, 0.5});
  Run();
  EXPECT_EQ(population.Freq(1, 1, 1), 0.5);
  EXPECT_EQ(population.Freq(1, 1, 4), 0.5);
}

TEST_F(RecombinationTest, EveryDemeRecombinesOnItsOwnPool) {
  Prepare(2, 1.0F);
  params.Demes = 3;
  FillExampleDeme(1);
  SetSlot(population, 0, 2, {0.5, 0, 0, 0.5});
  FillExampleDeme(3);
  Run();
  EXPECT_EQ(population.Freq(0, 1, 4), 0.015625);
  EXPECT_EQ(population.Freq(0, 3, 4), 0.015625);
  // Deme 2: pool a = A = 0.5, so "Ab" gets (0 + 0.25) / 2.
  EXPECT_EQ(population.Freq(0, 2, 2), 0.125);
  EXPECT_EQ(population.Freq(0, 2, 1), 0.375);
}

TEST_F(RecombinationTest, FiniteRecombinationDrawsOncePerClassAndHaplotype) {
  Prepare(3, 0.5F);
  params.Demes = 2;
  draw.InfinitePopulation = false;
  draw.PopulationSize = 1e6;
  for (int d = 1; d <= 2; ++d) {
    for (int h = 1; h <= 8; ++h) population.Freq(0, d, h) = population.Freq(1, d, h) = 1.0 / 16;
  }
  const UniformGenerator before = draw.generator;
  Run();
  EXPECT_TRUE(testing::AdvancedBy(before, draw.generator, 2 * 8 * 2 * 2));
  for (int d = 1; d <= 2; ++d) EXPECT_TRUE(testing::DemeNormalised(population, tables, d));

  Prepare(3, 0.0F);
  params.Demes = 2;
  const UniformGenerator beforeSexOnly = draw.generator;
  Run();
  EXPECT_TRUE(testing::AdvancedBy(beforeSexOnly, draw.generator, 2 * 8 * 2));
}

TEST_F(RecombinationTest, FiniteRecombinationDrawsTheChangeTowardsThePool) {
  // The example deme moves by +-0.0625 towards pi = 0.25 of its R+ mass 0.5:
  // the draw takes these changes, not the new frequencies (0.0625, 0.1875, ...).
  std::vector<double> arguments;
  for (const float z : {0.0F, 1.0F}) {
    Prepare(2, z);
    FillExampleDeme();
    draw.InfinitePopulation = false;
    draw.PopulationSize = 1e6;
    arguments.clear();
    draw.ArgumentLog = &arguments;
    Run();
    draw.ArgumentLog = nullptr;
    if (z == 0.0F) {
      EXPECT_EQ(arguments, (std::vector<double>{0.0625, -0.0625, -0.0625, 0.0625}));
    } else {
      // One pool of mass 1 with A and B at 0.25: pi = (9, 3, 3, 1) / 16. Per
      // haplotype, R+ then R-: half the way from the class's part to its
      // share of the pool.
      EXPECT_EQ(arguments,
                (std::vector<double>{0.5 * (0.5 * 9 / 16 - 0), 0.5 * (0.5 * 9 / 16 - 0.5),
                                     0.5 * (0.5 * 3 / 16 - 0.25), 0.5 * (0.5 * 3 / 16),
                                     0.5 * (0.5 * 3 / 16 - 0.25), 0.5 * (0.5 * 3 / 16),
                                     0.5 * (0.5 * 1 / 16), 0.5 * (0.5 * 1 / 16)}));
    }
  }
}

}  // namespace
}  // namespace recmod
