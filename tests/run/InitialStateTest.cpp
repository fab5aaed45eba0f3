#include "run/InitialState.hpp"

#include <gtest/gtest.h>

#include "run/Engine.hpp"
#include "run/RunInputs.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/StartupControls.hpp"

namespace recmod {
namespace {

class InitialStateTest : public ::testing::Test {
 protected:
  void Build(std::int16_t loci = 2) {
    testing::PrepareEngine(engine, controls, loci);
    BuildInitialState(engine, testing::InputsOf(controls, loci), messages);
  }
  void GiveHaplotypes(const char* ab, const char* Ab, const char* aB, const char* AB) {
    testing::SetTick(controls, CheckBox::LinkageDisequilibrium, true);
    controls.Text(13) = ab;
    controls.Text(14) = Ab;
    controls.Text(15) = aB;
    controls.Text(16) = AB;
  }
  bool AllZero() const {
    for (double f : engine.population.FreqTable)
      if (f != 0.0) return false;
    return true;
  }

  ControlValues controls = testing::StartupControlValues();
  Engine engine;
  CollectedMessages messages;
};

TEST_F(InitialStateTest, StartupValuesPutHalfOnAbInEachClass) {
  controls.Text(10) = "5";
  Build();
  EXPECT_FALSE(engine.InitialStateRejected);
  for (int d = 1; d <= 5; ++d) {
    EXPECT_EQ(engine.population.Freq(0, d, 1), 0.5);
    EXPECT_EQ(engine.population.Freq(1, d, 1), 0.5);
    for (int h = 2; h <= 4; ++h) {
      EXPECT_EQ(engine.population.Freq(0, d, h), 0.0);
      EXPECT_EQ(engine.population.Freq(1, d, h), 0.0);
    }
    for (int slot = 2; slot <= 4; ++slot)
      for (int h = 0; h <= 8; ++h) EXPECT_EQ(engine.population.Freq(slot, d, h), 0.0);
  }
  EXPECT_EQ(engine.population.Freq(0, 6, 1), 0.0) << "demes beyond Demes stay empty";
  EXPECT_EQ(messages.count, 0);
}

TEST_F(InitialStateTest, AlleleFrequenciesGiveLinkageEquilibrium) {
  controls.Text(4) = "0.5";
  controls.Text(5) = "0.5";
  controls.Text(6) = "0.5";
  Build(3);
  for (int c = 0; c <= 1; ++c)
    for (int h = 1; h <= 8; ++h) EXPECT_EQ(engine.population.Freq(c, 1, h), 0.0625);

  // "Ab" gets (1 - a) b, and with three loci "AbC" gets (1 - a) b (1 - c).
  controls.Text(4) = "0.2";
  controls.Text(5) = "0.7";
  controls.Text(6) = "0.4";
  controls.Text(20) = "1";
  Build(3);
  EXPECT_DOUBLE_EQ(engine.population.Freq(0, 1, 7), (1 - 0.2) * 0.7 * (1 - 0.4));
  EXPECT_EQ(engine.population.AlleleFreq(4), 1 - 0.2);
  Build(2);
  EXPECT_DOUBLE_EQ(engine.population.Freq(0, 1, 2), (1 - 0.2) * 0.7);
  EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, 1));
}

TEST_F(InitialStateTest, TheModifierSplitsBothClassesInTheSameProportions) {
  controls.Text(4) = "0.6";
  controls.Text(5) = "0.3";
  controls.Text(20) = "1";
  Build();
  for (int h = 1; h <= 4; ++h) EXPECT_EQ(engine.population.Freq(1, 1, h), 0.0);
  controls.Text(20) = "0";
  Build();
  for (int h = 1; h <= 4; ++h) EXPECT_EQ(engine.population.Freq(0, 1, h), 0.0);
  controls.Text(20) = "0.25";
  controls.Text(10) = "3";
  Build();
  for (int d = 1; d <= 3; ++d) {
    EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, d));
    for (int h = 1; h <= 4; ++h) {
      EXPECT_DOUBLE_EQ(engine.population.Freq(1, d, h), 3 * engine.population.Freq(0, d, h));
      EXPECT_EQ(engine.population.Freq(0, d, h), engine.population.Freq(0, 1, h)) << "copies";
    }
  }
}

TEST_F(InitialStateTest, HaplotypeFrequenciesThatShowAsOneAreAccepted) {
  GiveHaplotypes("0.3", "0.2", "0.3", "0.2");
  Build();
  EXPECT_FALSE(engine.InitialStateRejected);
  EXPECT_EQ(engine.population.Freq(0, 1, 2), 0.5 * 0.2);
  EXPECT_EQ(engine.population.Freq(1, 1, 3), 0.5 * 0.3);

  GiveHaplotypes("0.1", "0.1", "0.1", "0.7");
  Build();
  EXPECT_FALSE(engine.InitialStateRejected);
  EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, 1, 0, 1e-15));

  // The sum in this order is 0.9999999999999999, which the window shows as 1:
  // accepted, and the deme is rescaled to sum 1.
  ASSERT_NE(((0.7 + 0.1) + 0.1) + 0.1, 1.0);
  GiveHaplotypes("0.7", "0.1", "0.1", "0.1");
  Build();
  EXPECT_FALSE(engine.InitialStateRejected);
  EXPECT_EQ(messages.count, 0);
  EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, 1, 0, 1e-15));
  EXPECT_NEAR(engine.population.Freq(0, 1, 1), 0.35, 1e-15);
}

TEST_F(InitialStateTest, HaplotypeFrequenciesThatDoNotAddUpAreRefused) {
  controls.Text(10) = "4";
  Build();  // an accepted state first: a refusal must clear it
  ASSERT_FALSE(AllZero());
  GiveHaplotypes("0.3", "0.3", "0.3", "0.3");
  Build();
  EXPECT_TRUE(engine.InitialStateRejected);
  EXPECT_EQ(messages.count, 1);
  EXPECT_EQ(messages.last, "ab+Ab+aB+Ab frequencies <> 1!");
  EXPECT_TRUE(AllZero());

  // Just off 1 at the 15th digit is still refused.
  engine.InitialStateRejected = false;
  GiveHaplotypes("0.3", "0.2", "0.3", "0.19999999999999");
  Build();
  EXPECT_TRUE(engine.InitialStateRejected);
  EXPECT_EQ(messages.count, 2);
}

}  // namespace
}  // namespace recmod
