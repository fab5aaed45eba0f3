#include "ui/FieldCatalogue.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "numbers/DecimalParse.hpp"
#include "run/ParameterTable.hpp"
#include "ui/ControlValues.hpp"
#include "ui/LoadedWindow.hpp"

namespace recmod {
namespace {

TEST(FieldCatalogue, NamesEveryTextFieldOnceWithADistinctAlias) {
  std::set<int> indexes;
  std::set<std::string> aliases;
  int previous = -1;
  for (const FieldEntry& entry : FieldCatalogue()) {
    EXPECT_TRUE(IsTxtIndex(entry.index)) << entry.index;
    EXPECT_GT(entry.index, previous) << "increasing index order";
    previous = entry.index;
    indexes.insert(entry.index);
    EXPECT_TRUE(aliases.insert(entry.alias).second) << entry.alias;
    EXPECT_EQ(FindFieldByAlias(entry.alias), &entry);
    EXPECT_EQ(FindFieldByIndex(entry.index), &entry);
    // Only the displays and the loop outputs are the program's own.
    const bool display = entry.index == 21 || entry.index == 22 || entry.index >= 37;
    EXPECT_EQ(entry.input, !display) << entry.index;
  }
  for (int index = 0; index < ControlValues::kTxtSlots; ++index) {
    EXPECT_EQ(indexes.count(index) == 1, IsTxtIndex(index)) << index;
  }
}

TEST(FieldCatalogue, AliasesAreCaseSensitiveAndCaptionsAsShown) {
  EXPECT_EQ(FindFieldByAlias("S")->index, 2);
  EXPECT_EQ(FindFieldByAlias("s"), nullptr);
  EXPECT_EQ(FindFieldByAlias("ab")->index, 13);
  EXPECT_EQ(FindFieldByAlias("Ab")->index, 14);
  EXPECT_EQ(FindFieldByAlias("aB")->index, 15);
  EXPECT_EQ(FindFieldByAlias("AB")->index, 16);
  EXPECT_EQ(FindFieldByAlias("R")->index, 20);
  EXPECT_EQ(FindFieldByAlias("dir")->index, 30);
  EXPECT_EQ(FindFieldByIndex(25), nullptr);
  // The window's caption of the Ab field reads "aB", as laid out.
  EXPECT_STREQ(FindFieldByIndex(14)->caption, "aB (from 0 to 1)");
  EXPECT_STREQ(FindFieldByIndex(0)->caption, "u (from 1e-10 to 1e-4)");
  EXPECT_STREQ(FindFieldByIndex(8)->caption, "No. iterations (from 1 to 10000)");
}

// Every spelling a user may type for a field (its alias, the parameter's name
// and older names) reaches the same parameter, and the window's range never
// leaves the model's domain, except S = -1, which the validation turns into
// -0.99 before a run sees it.
TEST(FieldCatalogue, FieldsHoldParametersOfTheTableWithinTheirDomain) {
  for (const FieldEntry& entry : FieldCatalogue()) {
    if (entry.parameter == nullptr) {
      EXPECT_TRUE(entry.index > kLastRangedField) << entry.index;
      continue;
    }
    const ParameterInfo* parameter = FindParameter(entry.parameter);
    ASSERT_NE(parameter, nullptr) << entry.parameter;
    EXPECT_EQ(FindParameter(entry.alias), parameter) << entry.alias;
    EXPECT_EQ(FindFieldByParameter(parameter->name), &entry);
    if (entry.parameter != std::string("S")) {
      EXPECT_TRUE(InDomain(*parameter, static_cast<double>(entry.minimum))) << entry.parameter;
    }
    EXPECT_TRUE(InDomain(*parameter, static_cast<double>(entry.maximum))) << entry.parameter;
  }
  EXPECT_FALSE(InDomain(*FindParameter("S"), -1.0));
  EXPECT_TRUE(InDomain(*FindParameter("S"), -0.99));
}

using OpenedWindow = testing::LoadedWindow;

// The table's start values are what a window that has just opened shows.
TEST_F(OpenedWindow, ShowsTheStartValuesOfTheParameterTable) {
  for (const ParameterInfo& parameter : Parameters()) {
    SCOPED_TRACE(std::string(parameter.name));
    CheckBox box{};
    if (const FieldEntry* entry = FindFieldByParameter(parameter.name)) {
      EXPECT_EQ(ParseDecimal(Text(entry->index)), parameter.startValue);
    } else if (CheckBoxFromName(parameter.aliases, box)) {
      EXPECT_EQ(Ticked(box) ? 1.0 : 0.0, parameter.startValue);
    } else {
      ASSERT_EQ(parameter.name, "loci");
      EXPECT_EQ(ParseDecimal(sim.controls.AllelesNumberCaption), parameter.startValue);
    }
  }
  // Every check box is a parameter (the --tick names are the table's aliases).
  for (CheckBox box : kAllCheckBoxes) EXPECT_NE(FindParameter(CheckBoxName(box)), nullptr);
}

}  // namespace
}  // namespace recmod
