#include "ui/FieldCatalogue.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/ControlValues.hpp"

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

}  // namespace
}  // namespace recmod
