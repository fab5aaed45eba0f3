#include <gtest/gtest.h>

#include <set>

#include "LoadedWindow.hpp"
#include "model/RuntimeError.hpp"

namespace recmod {
namespace {

using OptionInterplay = testing::LoadedWindow;

// The fields that only some run mode enables, with their captions.
const std::set<int> kModeFields = {8, 9, 18, 19, 37, 38, 39, 40};
const std::set<int> kModeCaptions = {8, 9, 37, 38, 39, 40};

TEST_F(OptionInterplay, EachModeEnablesOnlyItsOwnFields) {
  struct Expected {
    int option;
    std::set<int> txt;
    std::set<int> labl;
    bool single, infinite, loopSK, loopN, drift;
  };
  const Expected modes[] = {
      {0, {}, {}, true, true, false, false, false},
      {1, {9}, {9}, true, false, false, false, true},
      {2, {37, 38}, {37, 38}, false, true, true, false, false},
      {3, {8, 18, 19, 39, 40}, {8, 39, 40}, false, false, false, true, true},
  };
  // Every mode after every other one, so no state leaks from the one before.
  for (const Expected& from : modes) {
    for (const Expected& to : modes) {
      Option1_GotFocus(sim, from.option);
      Option1_GotFocus(sim, to.option);
      SCOPED_TRACE(::testing::Message() << "mode " << from.option << " then " << to.option);
      for (int index : kModeFields) {
        EXPECT_EQ(TxtEnabled(index), to.txt.count(index) == 1) << "txt " << index;
      }
      for (int index : kModeCaptions) {
        EXPECT_EQ(LablEnabled(index), to.labl.count(index) == 1) << "labl " << index;
      }
      EXPECT_EQ(sim.runMode.SingleRun, to.single);
      EXPECT_EQ(sim.runMode.InfinitePopulation, to.infinite);
      EXPECT_EQ(sim.runMode.LoopOverSK, to.loopSK);
      EXPECT_EQ(sim.runMode.LoopOverLog10N, to.loopN);
      EXPECT_EQ(Ticked(CheckBox::GeneticDrift), to.drift);
      EXPECT_EQ(sim.controls.Option1Selected, to.option);
    }
  }
}

TEST_F(OptionInterplay, ModeHandlerKeepsTextsAndOtherFields) {
  const ControlValues before = sim.controls;
  Option1_GotFocus(sim, 3);
  for (int index = 0; index < ControlValues::kTxtSlots; ++index) {
    if (!IsTxtIndex(index)) continue;
    EXPECT_EQ(Text(index), before.Text(index));
    if (kModeFields.count(index) == 0) {
      EXPECT_EQ(TxtEnabled(index), before.txtEnabled.at(static_cast<std::size_t>(index)))
          << "txt " << index;
    }
  }
  EXPECT_THROW(Option1_GotFocus(sim, 4), RuntimeError);
}

TEST_F(OptionInterplay, ReselectingTheFiniteModeTicksGeneticDriftAgain) {
  Option1_GotFocus(sim, 1);
  CheckBox_Click(sim, CheckBox::GeneticDrift);
  ASSERT_FALSE(Ticked(CheckBox::GeneticDrift));
  Type(2, "0.2");  // the focus was in a text field meanwhile
  EXPECT_FALSE(Ticked(CheckBox::GeneticDrift));
  Option1_GotFocus(sim, 1);
  EXPECT_TRUE(Ticked(CheckBox::GeneticDrift));
}

TEST_F(OptionInterplay, SinusoidalVariationGoesWithTheInversionOfS) {
  CheckBox_Click(sim, CheckBox::SinusoidalOption);  // disabled: nothing happens
  EXPECT_FALSE(Ticked(CheckBox::SinusoidalOption));

  CheckBox_Click(sim, CheckBox::InversionOfS);
  EXPECT_TRUE(TxtEnabled(12));
  EXPECT_TRUE(CheckEnabled(CheckBox::SinusoidalOption));
  CheckBox_Click(sim, CheckBox::SinusoidalOption);
  ASSERT_TRUE(Ticked(CheckBox::SinusoidalOption));

  CheckBox_Click(sim, CheckBox::InversionOfS);
  EXPECT_FALSE(TxtEnabled(12));
  EXPECT_FALSE(Ticked(CheckBox::SinusoidalOption));
  EXPECT_FALSE(CheckEnabled(CheckBox::SinusoidalOption));

  CheckBox_Click(sim, CheckBox::InversionOfS);
  EXPECT_TRUE(CheckEnabled(CheckBox::SinusoidalOption));
  EXPECT_FALSE(Ticked(CheckBox::SinusoidalOption));
}

TEST_F(OptionInterplay, DiffusionTickedByHandHoldsOnlyUntilTheNextPass) {
  CheckBox_Click(sim, CheckBox::InterdemicDiffusion);
  EXPECT_TRUE(Ticked(CheckBox::InterdemicDiffusion));
  EXPECT_TRUE(TxtEnabled(11));
  Type(7, "0.5");
  EXPECT_FALSE(Ticked(CheckBox::InterdemicDiffusion));
  EXPECT_FALSE(TxtEnabled(11));
}

TEST_F(OptionInterplay, LinkageBoxEnablesTheFourFrequenciesButNeverTheDisplays) {
  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  for (int index : {13, 14, 15, 16}) {
    EXPECT_TRUE(TxtEnabled(index)) << "txt " << index;
    EXPECT_TRUE(LablEnabled(index)) << "labl " << index;
  }
  EXPECT_TRUE(LablEnabled(21));
  EXPECT_TRUE(LablEnabled(22));
  EXPECT_FALSE(TxtEnabled(21));
  EXPECT_FALSE(TxtEnabled(22));

  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  for (int index : {13, 14, 15, 16, 21, 22}) {
    EXPECT_FALSE(TxtEnabled(index)) << "txt " << index;
    EXPECT_FALSE(LablEnabled(index)) << "labl " << index;
  }
}

TEST_F(OptionInterplay, ProgramTickRunsTheHandlerOnlyOnARealChange) {
  SetTick(sim, CheckBox::LinkageDisequilibrium, 1);
  ASSERT_TRUE(TxtEnabled(13));
  // Mark a field the handler would set; setting the same tick must leave it.
  sim.controls.txtEnabled[13] = false;
  SetTick(sim, CheckBox::LinkageDisequilibrium, 1);
  EXPECT_FALSE(TxtEnabled(13));
  SetTick(sim, CheckBox::LinkageDisequilibrium, 0);
  SetTick(sim, CheckBox::LinkageDisequilibrium, 1);
  EXPECT_TRUE(TxtEnabled(13));

  // Boxes without a handler only change their tick.
  const ControlValues before = sim.controls;
  SetTick(sim, CheckBox::RecombForR, 0);
  SetTick(sim, CheckBox::TotalStochasticity, 0);
  EXPECT_EQ(sim.controls.txtEnabled, before.txtEnabled);
  EXPECT_EQ(sim.controls.lablEnabled, before.lablEnabled);
  EXPECT_EQ(sim.controls.checkEnabled, before.checkEnabled);
}

TEST_F(OptionInterplay, SetFieldEnabledNeedsAFieldIndex) {
  SetFieldEnabled(sim, 9, true);
  EXPECT_TRUE(TxtEnabled(9));
  EXPECT_TRUE(LablEnabled(9));
  EXPECT_THROW(SetFieldEnabled(sim, 31, true), RuntimeError);
  EXPECT_THROW(SetFieldEnabled(sim, 41, true), RuntimeError);
}

}  // namespace
}  // namespace recmod
