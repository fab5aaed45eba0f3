#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "LoadedWindow.hpp"
#include "model/HaplotypeTables.hpp"
#include "numbers/NumberText.hpp"
#include "ui/DesignTimeControls.hpp"

namespace recmod {
namespace {

using testing::LoadedWindow;
using Kind = testing::RecordingPlotSurface::Kind;

const std::set<int> kAllTxt = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                               14, 15, 16, 17, 18, 19, 20, 21, 22, 30, 37, 38, 39, 40};

using StartupState = LoadedWindow;

TEST_F(StartupState, FieldTextsAreTheTypedStartValues) {
  const std::map<int, std::string> expected = {
      {0, "1E-05"}, {1, "1E-05"}, {2, "0.1"},  {3, "1"},    {4, "1"},    {5, "1"},    {6, "1"},
      {7, "0"},     {8, "100"},   {9, "6"},    {10, "1"},   {11, "0.1"}, {12, "100"}, {13, "0.3"},
      {14, "0.2"},  {15, "0.3"},  {16, "0.2"}, {17, "250"}, {18, "1"},   {19, "12"},  {20, "0.5"},
      {21, "0"},    {22, "1"},    {30, "C:"},  {37, ""},    {38, ""},    {39, ""},    {40, ""}};
  for (const auto& [index, text] : expected) EXPECT_EQ(Text(index), text) << "txt " << index;
  EXPECT_EQ(sim.controls.lab23Caption, "250");
  EXPECT_EQ(sim.controls.txt22Background, kInputBackground);
}

TEST_F(StartupState, OnlyTheFieldsOfModeZeroAndTwoLociAreEnabled) {
  const std::set<int> enabledTxt = {0, 1, 2, 3, 4, 5, 7, 10, 17, 20, 30};
  for (int index : kAllTxt) {
    EXPECT_EQ(TxtEnabled(index), enabledTxt.count(index) == 1) << "txt " << index;
  }
  const std::set<int> enabledLabl = {0, 1, 2, 3, 4, 5, 6, 7, 10, 17, 18, 20, 30};
  const std::set<int> disabledLabl = {8, 9, 13, 14, 15, 16, 21, 22, 37, 38, 39, 40};
  for (int index : enabledLabl) EXPECT_TRUE(LablEnabled(index)) << "labl " << index;
  for (int index : disabledLabl) EXPECT_FALSE(LablEnabled(index)) << "labl " << index;
}

TEST_F(StartupState, TicksFlagsLegendsAndTables) {
  for (CheckBox box : kAllCheckBoxes) {
    const bool ticked = box == CheckBox::RecombForR || box == CheckBox::TotalStochasticity;
    EXPECT_EQ(sim.controls.Tick(box), ticked ? 1 : 0) << CheckBoxName(box);
    EXPECT_EQ(CheckEnabled(box), box != CheckBox::SinusoidalOption) << CheckBoxName(box);
  }
  EXPECT_EQ(sim.controls.Option1Selected, 0);
  EXPECT_TRUE(sim.runMode.SingleRun);
  EXPECT_TRUE(sim.runMode.InfinitePopulation);
  EXPECT_FALSE(sim.runMode.LoopOverSK);
  EXPECT_FALSE(sim.runMode.LoopOverLog10N);

  EXPECT_EQ(sim.controls.AllelesNumberCaption, "2");
  EXPECT_FALSE(sim.controls.Lab4Visible);
  EXPECT_EQ(sim.tables.AllelesNumber, 2);
  EXPECT_EQ(sim.tables.HaplotypeCount, 4);
  EXPECT_EQ(sim.tables.TransitionCount, 10);
}

TEST_F(StartupState, BoundsAsWrittenIntoTheFields) {
  // The bounds are single precision and are written with 7 digits at most.
  const auto& fields = sim.fields;
  EXPECT_EQ(NumberTextSingle(fields.FieldMinimum[0]), " 1E-10");
  EXPECT_EQ(NumberTextSingle(fields.FieldMaximum[1]), " .0001");
  EXPECT_EQ(NumberTextSingle(fields.FieldMinimum[3]), " .6");
  EXPECT_EQ(NumberTextSingle(fields.FieldMaximum[3]), " 1.4");
  EXPECT_EQ(fields.FieldMinimum[8], 2.0F);  // a standard deviation needs two runs
  EXPECT_EQ(fields.FieldMaximum[18], 11.5F);
  EXPECT_EQ(fields.FieldMinimum[19], 1.5F);
  EXPECT_EQ(fields.DefaultDirectory, "C:");
  for (int i = 0; i <= 20; ++i) {
    EXPECT_LT(fields.FieldMinimum[static_cast<std::size_t>(i)],
              fields.FieldMaximum[static_cast<std::size_t>(i)])
        << "field " << i;
  }
}

TEST(StartupSequence, OverwritesWhateverTheWindowHeldAndLeavesAnEmptyPlot) {
  Simulator sim;
  testing::RecordingPlotSurface plot;
  sim.plot = &plot;
  sim.controls.Text(3) = "xyz";
  sim.controls.Text(17) = "3";
  sim.controls.tick[static_cast<std::size_t>(CheckBox::GeneticDrift)] = 1;
  Form_Load(sim);

  EXPECT_EQ(sim.controls.Text(3), "1");
  EXPECT_EQ(sim.controls.Text(17), "250");
  EXPECT_FALSE(sim.controls.Ticked(CheckBox::GeneticDrift));
  ASSERT_FALSE(plot.calls.empty());
  EXPECT_EQ(plot.calls.back().kind, Kind::Clear);
}

TEST(StartupSequence, DesignTimeStateKeepsTheDisplaysAndFeatureFieldsDisabled) {
  const ControlValues design = DesignTimeControls();
  for (int index : {11, 12, 13, 14, 15, 16, 21, 22, 37, 38, 39, 40}) {
    EXPECT_FALSE(design.txtEnabled.at(static_cast<std::size_t>(index))) << "txt " << index;
  }
  EXPECT_FALSE(design.CheckEnabled(CheckBox::SinusoidalOption));
  EXPECT_TRUE(design.Ticked(CheckBox::RecombForR));
  // Indexes that name no control are never enabled.
  for (int index : {23, 29, 31, 36})
    EXPECT_FALSE(design.txtEnabled.at(static_cast<std::size_t>(index)));
  for (int index : {11, 12, 19})
    EXPECT_FALSE(design.lablEnabled.at(static_cast<std::size_t>(index)));
}

using LociSwitch = LoadedWindow;

TEST_F(LociSwitch, TwoPressesReturnToTwoLociAndClearThePlotEachTime) {
  ToggleAllelesNumber_Click(sim);
  EXPECT_EQ(sim.controls.AllelesNumberCaption, "3");
  EXPECT_EQ(sim.tables.AllelesNumber, 3);
  EXPECT_EQ(sim.tables.HaplotypeCount, 8);
  EXPECT_TRUE(TxtEnabled(6));
  EXPECT_TRUE(LablEnabled(6));
  EXPECT_FALSE(CheckEnabled(CheckBox::LinkageDisequilibrium));
  EXPECT_TRUE(sim.controls.Lab4Visible);
  EXPECT_EQ(plot.Count(Kind::Clear), 1U);

  ToggleAllelesNumber_Click(sim);
  EXPECT_EQ(sim.controls.AllelesNumberCaption, "2");
  EXPECT_EQ(sim.tables.AllelesNumber, 2);
  EXPECT_EQ(sim.tables.HaplotypeCount, 4);
  EXPECT_FALSE(TxtEnabled(6));
  EXPECT_TRUE(LablEnabled(6));
  EXPECT_TRUE(CheckEnabled(CheckBox::LinkageDisequilibrium));
  EXPECT_FALSE(Ticked(CheckBox::LinkageDisequilibrium));
  EXPECT_FALSE(sim.controls.Lab4Visible);
  EXPECT_EQ(plot.Count(Kind::Clear), 2U);
}

TEST_F(LociSwitch, ThreeLociSwitchTheLinkageEntryOff) {
  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  ASSERT_TRUE(Ticked(CheckBox::LinkageDisequilibrium));
  ASSERT_TRUE(TxtEnabled(13));

  ToggleAllelesNumber_Click(sim);
  EXPECT_FALSE(Ticked(CheckBox::LinkageDisequilibrium));
  EXPECT_FALSE(CheckEnabled(CheckBox::LinkageDisequilibrium));
  for (int index : {13, 14, 15, 16}) {
    EXPECT_FALSE(TxtEnabled(index)) << "txt " << index;
    EXPECT_FALSE(LablEnabled(index)) << "labl " << index;
  }
  EXPECT_FALSE(LablEnabled(21));
  EXPECT_FALSE(LablEnabled(22));
  EXPECT_FALSE(TxtEnabled(21));
  EXPECT_FALSE(TxtEnabled(22));

  // With three loci the box cannot be ticked; back at two it is free, unticked.
  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  EXPECT_FALSE(Ticked(CheckBox::LinkageDisequilibrium));
  ToggleAllelesNumber_Click(sim);
  EXPECT_TRUE(CheckEnabled(CheckBox::LinkageDisequilibrium));
  EXPECT_FALSE(Ticked(CheckBox::LinkageDisequilibrium));
  EXPECT_FALSE(TxtEnabled(13));
}

TEST_F(LociSwitch, OtherFieldsAndTheirTextsStayAsTheyWere) {
  const ControlValues before = sim.controls;
  ToggleAllelesNumber_Click(sim);
  for (int index : kAllTxt) {
    EXPECT_EQ(Text(index), before.Text(index)) << "txt " << index;
    if (index != 6) {
      EXPECT_EQ(TxtEnabled(index), before.txtEnabled.at(static_cast<std::size_t>(index)))
          << "txt " << index;
    }
    EXPECT_EQ(LablEnabled(index), before.lablEnabled.at(static_cast<std::size_t>(index)))
        << "labl " << index;
  }
}

}  // namespace
}  // namespace recmod
