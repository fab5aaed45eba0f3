#include "model/HaplotypeTables.hpp"

#include <gtest/gtest.h>

#include "model/PopulationState.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

TEST(HaplotypeTables, TwoAndThreeLociNumbering) {
  HaplotypeTables tables;
  BuildHaplotypeTables(2, tables);
  EXPECT_EQ(tables.AlleleCount, 4);
  EXPECT_EQ(tables.HaplotypeCount, 4);
  EXPECT_EQ(tables.TransitionCount, 10);
  EXPECT_EQ(tables.AlleleAt(4, 1), 3);
  EXPECT_EQ(tables.AlleleAt(4, 2), 4);

  BuildHaplotypeTables(3, tables);
  EXPECT_EQ(tables.HaplotypeCount, 8);
  EXPECT_EQ(tables.TransitionCount, 38);
  // 6 is "aBC", 7 is "AbC".
  EXPECT_EQ(tables.AlleleAt(6, 1), 1);
  EXPECT_EQ(tables.AlleleAt(6, 2), 5);
  EXPECT_EQ(tables.AlleleAt(6, 3), 6);
  EXPECT_EQ(tables.AlleleAt(7, 1), 4);
  EXPECT_EQ(tables.AlleleAt(7, 2), 2);
  EXPECT_EQ(tables.AlleleAt(7, 3), 6);
  EXPECT_EQ(HaplotypeLabel(tables, 6, 0), "aBC");
  EXPECT_EQ(HaplotypeLabel(tables, 7, 1), "AbC'");
}

TEST(HaplotypeTables, CarriersAndTransitionsMatchTheAllelesOfEachHaplotype) {
  // Every table is checked against the alleles the haplotypes carry, so a
  // slip in any row shows up: a haplotype carries an allele exactly when it is
  // listed among the allele's carriers, and every transition row changes only
  // forward (lower to upper case) or only backward.
  for (std::int16_t loci : {std::int16_t{2}, std::int16_t{3}}) {
    HaplotypeTables tables;
    BuildHaplotypeTables(loci, tables);
    const int carriers = loci == 2 ? 2 : 4;
    for (int r = 1; r <= tables.AlleleCount; ++r) {
      int listed = 0;
      for (int h = 1; h <= tables.HaplotypeCount; ++h) {
        bool carries = false;
        for (int l = 1; l <= loci; ++l) carries = carries || tables.AlleleAt(h, l) == r;
        bool isListed = false;
        for (int p = 1; p <= carriers; ++p) isListed = isListed || tables.Carrier(r, p) == h;
        EXPECT_EQ(carries, isListed) << loci << " loci, allele " << r << ", haplotype " << h;
        listed += isListed;
      }
      EXPECT_EQ(listed, carriers);
    }
    int forward = 0;
    for (int k = 1; k <= tables.TransitionCount; ++k) {
      const int source = tables.TransitionSource(k);
      const int target = tables.TransitionTarget(k);
      int up = 0;
      int down = 0;
      for (int l = 1; l <= loci; ++l) {
        const bool sourceUpper = tables.AlleleAt(source, l) > loci;
        const bool targetUpper = tables.AlleleAt(target, l) > loci;
        up += !sourceUpper && targetUpper;
        down += sourceUpper && !targetUpper;
      }
      EXPECT_TRUE((up > 0) != (down > 0)) << loci << " loci, row " << k;
      // Forward rows come first, and each coefficient index fits the number of
      // loci that change (1..3 forward, 4..6 backward with two loci; 1..6
      // forward, 7..12 backward with three).
      if (up > 0) {
        EXPECT_EQ(forward, k - 1) << "forward row " << k << " after a backward one";
        ++forward;
      }
      const int coefficient = tables.TransitionCoefficient(k);
      EXPECT_EQ(coefficient <= (loci == 2 ? 3 : 6), up > 0) << loci << " loci, row " << k;
    }
    EXPECT_EQ(forward, loci == 2 ? 5 : 19);
  }
}

TEST(HaplotypeTables, SwitchingBackToTwoLociLeavesTheThreeLocusRowsInPlace) {
  HaplotypeTables tables;
  BuildHaplotypeTables(3, tables);
  BuildHaplotypeTables(2, tables);
  EXPECT_EQ(tables.TransitionCount, 10);
  EXPECT_EQ(tables.TransitionSource(38), 8);  // "ABC" to "abc"
  EXPECT_EQ(tables.Carrier(1, 4), 6);
  EXPECT_EQ(tables.AlleleAt(8, 3), 6);
  // The two-locus rows themselves are rewritten.
  EXPECT_EQ(tables.TransitionSource(1), 2);
  EXPECT_EQ(tables.TransitionTarget(10), 1);
}

TEST(HaplotypeTables, AlleleSumAddsTheCarriersInOrder) {
  HaplotypeTables tables;
  PopulationState population;
  BuildHaplotypeTables(2, tables);
  testing::SetSlot(population, 0, 1, {0.1, 0.2, 0.3, 0.4});
  EXPECT_EQ(AlleleSum(population, tables, 0, 1, 1), 0.1 + 0.3);  // a: ab, aB
  EXPECT_EQ(AlleleSum(population, tables, 0, 1, 4), 0.3 + 0.4);  // B: aB, AB

  BuildHaplotypeTables(3, tables);
  testing::SetSlot(population, 2, 5, {1, 2, 4, 8, 16, 32, 64, 128});
  EXPECT_EQ(AlleleSum(population, tables, 2, 5, 1), 1 + 4 + 8 + 32);  // abc aBc abC aBC
  EXPECT_EQ(AlleleSum(population, tables, 2, 5, 6), 8 + 32 + 64 + 128);
}

TEST(HaplotypeTables, EquilibriumProductOfHalvesAndItsModes) {
  HaplotypeTables tables;
  PopulationState population;
  BuildHaplotypeTables(2, tables);
  for (int r = 1; r <= 4; ++r) population.AlleleFreq(r) = 0.5;
  for (int h = 1; h <= 4; ++h) {
    EXPECT_EQ(EquilibriumProduct(population, tables, h, 1.0, 0), 0.25);
    // Mode 0 with two loci ignores the total.
    EXPECT_EQ(EquilibriumProduct(population, tables, h, 123.0, 0), 0.25);
  }
  // Mode -1 divides by the total once per locus.
  EXPECT_EQ(EquilibriumProduct(population, tables, 1, 2.0, -1), 0.0625);
  EXPECT_THROW(EquilibriumProduct(population, tables, 1, 0.0, -1), RuntimeError);

  BuildHaplotypeTables(3, tables);
  for (int r = 1; r <= 6; ++r) population.AlleleFreq(r) = 0.5;
  for (int h = 1; h <= 8; ++h) EXPECT_EQ(EquilibriumProduct(population, tables, h, 1.0, 0), 0.125);
  population.AlleleFreq(1) = 0.2;                                                        // a
  population.AlleleFreq(5) = 0.3;                                                        // B
  population.AlleleFreq(6) = 0.7;                                                        // C
  EXPECT_DOUBLE_EQ(EquilibriumProduct(population, tables, 6, 1.0, 0), 0.2 * 0.3 * 0.7);  // aBC
  EXPECT_DOUBLE_EQ(EquilibriumProduct(population, tables, 6, 2.0, -1), 0.2 * 0.3 * 0.7 / 8);
}

TEST(HaplotypeTables, IndexesOutsideTheDeclaredBoundsAreErrors) {
  HaplotypeTables tables;
  BuildHaplotypeTables(3, tables);
  PopulationState population;
  auto expectSubscript = [](auto&& call) {
    try {
      call();
      ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), ErrorKind::SubscriptOutOfRange);
      EXPECT_EQ(std::string(error.what()).rfind("Subscript out of range", 0), 0u) << error.what();
    }
  };
  expectSubscript([&] { population.Freq(5, 1, 1) = 0; });
  expectSubscript([&] { population.Freq(-1, 1, 1) = 0; });
  expectSubscript([&] { population.Freq(0, 101, 1) = 0; });
  expectSubscript([&] { population.Freq(0, 1, 9) = 0; });
  expectSubscript([&] { population.AlleleFreq(7) = 0; });
  expectSubscript([&] { (void)tables.Carrier(7, 1); });
  expectSubscript([&] { (void)tables.Carrier(1, 5); });
  expectSubscript([&] { (void)tables.AlleleAt(9, 1); });
  expectSubscript([&] { (void)tables.TransitionSource(39); });
  expectSubscript([&] { (void)AlleleSum(population, tables, 0, 1, 7); });
  // The bounds themselves are inside.
  population.Freq(4, 100, 8) = 1.0;
  population.Freq(0, 0, 0) = 1.0;
  EXPECT_EQ(population.Freq(4, 100, 8), 1.0);
}

}  // namespace
}  // namespace recmod
