#include "model/HaplotypeTables.hpp"

#include <gtest/gtest.h>

#include "model/PopulationState.hpp"

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

}  // namespace
}  // namespace recmod
