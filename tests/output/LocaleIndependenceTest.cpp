// Numbers are read and written the same under a locale with a decimal
// comma as under the C locale: the report files, the fields and the labels
// of the pictures never follow the process's locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "output/sweep/AxisTicks.hpp"
#include "support/GeneratedLocales.hpp"

namespace recmod {
namespace {

struct Written {
  double value;
  const char* text;        // NumberText
  const char* singleText;  // NumberTextSingle of the value in single precision
  const char* label;       // PictureNumberText
};

TEST(LocaleIndependence, NumbersUnderCommaLocalesAreThoseOfTheCLocale) {
  const std::string directory = testing::GeneratedLocaleDirectory();
  ASSERT_FALSE(directory.empty()) << "localedef could not generate the locales";
  ::setenv("LOCPATH", directory.c_str(), 1);
  const Written written[] = {
      {0.5, " .5", " .5", ".5"},
      {-1.25, "-1.25", "-1.25", "-1.25"},
      {1e-5, " 1E-05", " 1E-05", "1E-05"},
      {0.1 + 0.2, " .3", " .3", ".3"},
      {1234567.5, " 1234567.5", " 1234568", "1234567.5"},
      {2.0 / 3.0, " .666666666666667", " .6666667", ".666666666666667"},
  };
  const char* texts[] = {"0.5", "1.5e-3", "-.25", " 12.75xyz", "1,5"};
  for (const char* locale : testing::kCommaLocales) {
    ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale;
    for (const Written& w : written) {
      EXPECT_EQ(NumberText(w.value), w.text) << locale;
      EXPECT_EQ(NumberTextSingle(static_cast<float>(w.value)), w.singleText) << locale;
      EXPECT_EQ(PictureNumberText(w.value), w.label) << locale;
    }
    EXPECT_EQ(ParseDecimal(texts[0]), 0.5) << locale;
    EXPECT_EQ(ParseDecimal(texts[1]), 1.5e-3) << locale;
    EXPECT_EQ(ParseDecimal(texts[2]), -0.25) << locale;
    EXPECT_EQ(ParseDecimal(texts[3]), 12.75) << locale;
    EXPECT_EQ(ParseDecimal(texts[4]), 1.0) << locale;  // a comma ends the number
    std::setlocale(LC_ALL, "C");
  }
}

}  // namespace
}  // namespace recmod
