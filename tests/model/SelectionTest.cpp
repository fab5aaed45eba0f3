#include "model/Selection.hpp"

#include <gtest/gtest.h>

#include "model/ModelParameters.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using testing::SetSlot;

class SelectionTest : public ::testing::Test {
 protected:
  void Prepare(std::int16_t loci, double S, double K) {
    BuildHaplotypeTables(loci, tables);
    params.Demes = 1;
    params.S = S;
    params.K = K;
    DeriveSelectionTerms(loci, params);
  }
  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  RandomDraw draw;  // infinite population
};

TEST_F(SelectionTest, NoSelectionLeavesTheTableUnchanged) {
  Prepare(3, 0.0, 1.3);
  EXPECT_EQ(params.DoubleMutantSelection, 0.0);
  EXPECT_EQ(params.TripleMutantSelection, 0.0);
  SetSlot(population, 0, 1, {0.125, 0.0625, 0.0625, 0.0625, 0.0625, 0.0625, 0.0625, 0.0625});
  SetSlot(population, 1, 1, {0.0625, 0.0625, 0.0625, 0.0625, 0.0625, 0.0625, 0, 0.0625});
  const PopulationState before = population;
  ApplySelection(params, tables, population, draw);
  EXPECT_EQ(population.FreqTable, before.FreqTable);
}

TEST_F(SelectionTest, TwoLociMultiplyOneMutantsBy1_1AndTheDoubleMutantBy1_21) {
  Prepare(2, 0.1, 1.0);
  SetSlot(population, 0, 1, {0.25, 0.25, 0, 0});
  SetSlot(population, 1, 1, {0, 0, 0.25, 0.25});
  ApplySelection(params, tables, population, draw);
  const double W = 0.25 * (1.0 + 1.1 + 1.1 + 1.21);
  EXPECT_NEAR(population.Freq(0, 1, 1), 0.25 / W, 1e-15);
  EXPECT_NEAR(population.Freq(0, 1, 2), 0.25 * 1.1 / W, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 3), 0.25 * 1.1 / W, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 4), 0.25 * 1.21 / W, 1e-15);
  EXPECT_NEAR(population.Freq(1, 1, 4) / population.Freq(0, 1, 1), 1.21, 1e-14);
  EXPECT_TRUE(testing::DemeNormalised(population, tables, 1));
}

TEST_F(SelectionTest, ThreeLociKeyTheCoefficientOnTheNumberOfMutantAlleles) {
  Prepare(3, 0.1, 1.2);
  for (int h = 1; h <= 8; ++h) population.Freq(0, 1, h) = 0.125;
  ApplySelection(params, tables, population, draw);
  const double ab = population.Freq(0, 1, 1);
  for (int h : {2, 3, 4}) EXPECT_NEAR(population.Freq(0, 1, h) / ab, 1.1, 1e-14) << h;
  for (int h : {5, 6, 7}) EXPECT_NEAR(population.Freq(0, 1, h) / ab, 1.252, 1e-14) << h;
  EXPECT_NEAR(population.Freq(0, 1, 8) / ab, 1.47664, 1e-14);
}

TEST_F(SelectionTest, LethalCoefficientsEmptyHaplotypesWithoutNegatives) {
  // S = -1 removes the one-mutant haplotypes; K = 1.4 makes AB's coefficient
  // -1.4, and the negative result is cleared by the normalisation.
  Prepare(2, -1.0, 1.4);
  EXPECT_EQ(params.DoubleMutantSelection, -1.4);
  SetSlot(population, 0, 1, {0.25, 0.25, 0.25, 0.25});
  ApplySelection(params, tables, population, draw);
  EXPECT_EQ(population.Freq(0, 1, 1), 1.0);
  for (int h = 2; h <= 4; ++h) EXPECT_EQ(population.Freq(0, 1, h), 0.0) << h;
}

TEST_F(SelectionTest, BothClassesShareTheCoefficientsSoTheModifierStays) {
  Prepare(2, 0.3, 0.8);
  // R+ holds 0.4 and R- 0.6 of the deme, with the same haplotype proportions.
  SetSlot(population, 0, 1, {0.4 * 0.1, 0.4 * 0.2, 0.4 * 0.3, 0.4 * 0.4});
  SetSlot(population, 1, 1, {0.6 * 0.1, 0.6 * 0.2, 0.6 * 0.3, 0.6 * 0.4});
  for (int generation = 0; generation < 20; ++generation) {
    ApplySelection(params, tables, population, draw);
  }
  double sex = 0.0;
  for (int h = 1; h <= 4; ++h) sex += population.Freq(0, 1, h);
  EXPECT_NEAR(sex, 0.4, 1e-14);
}

TEST_F(SelectionTest, AnEmptiedDemeIsAnErrorNotNaN) {
  // Only "AB", S = -0.99, K = 1.4: the coefficient -1.39986 leaves nothing.
  Prepare(2, -0.99, 1.4);
  SetSlot(population, 0, 1, {0, 0, 0, 1});
  EXPECT_THROW(
      {
        try {
          ApplySelection(params, tables, population, draw);
        } catch (const RuntimeError& error) {
          EXPECT_EQ(error.kind(), ErrorKind::EmptyDeme);
          throw;
        }
      },
      RuntimeError);
}

TEST_F(SelectionTest, FiniteSelectionDrawsOncePerSelectedHaplotypeAndClass) {
  Prepare(3, 0.05, 1.0);
  params.Demes = 3;
  draw.InfinitePopulation = false;
  draw.PopulationSize = 1e4;
  for (int d = 1; d <= 3; ++d)
    for (int h = 1; h <= 8; ++h) population.Freq(0, d, h) = population.Freq(1, d, h) = 1.0 / 16;
  const UniformGenerator before = draw.generator;
  ApplySelection(params, tables, population, draw);
  // Haplotype 1 is not selected: 7 haplotypes x 2 classes x 3 demes.
  EXPECT_TRUE(testing::AdvancedBy(before, draw.generator, 2 * 7 * 2 * 3));
  for (int d = 1; d <= 3; ++d) EXPECT_TRUE(testing::DemeNormalised(population, tables, d));
}

}  // namespace
}  // namespace recmod
