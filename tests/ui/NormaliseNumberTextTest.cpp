#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/InputValidation.hpp"

namespace recmod {
namespace {

TEST(NormaliseNumberText, CanonicalFormsOfTypedNumbers) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {",5", "0.5"},   {".5", "0.5"},  {"1,5", "1.5"}, {"1,2,3", "1.2,3"}, {"007", "07"},
      {"00.5", "0.5"}, {"00", "0"},    {"-.5", "-.5"}, {"0,02", "0.02"},   {"000", "0"},
      {",", ","},      {".", "."},     {"0", "0"},     {"", ""},           {" .5", " .5"},
      {" 1", " 1"},    {"abc", "abc"}, {".,5", "0..5"}};
  for (const auto& [before, after] : cases) {
    std::string text = before;
    const std::string returned = NormaliseNumberText(text);
    EXPECT_EQ(returned, after) << "text " << '"' << before << '"';
    EXPECT_EQ(text, after) << "argument rewritten for " << '"' << before << '"';
  }
  // Only the first comma becomes a point, so a second pass goes on.
  std::string twice = "1,2,3";
  NormaliseNumberText(twice);
  EXPECT_EQ(NormaliseNumberText(twice), "1.2.3");
}

}  // namespace
}  // namespace recmod
