// recmod-batch under locales with a decimal comma writes the same bytes as
// under the C locale: report files, pictures (axis labels) and the field
// listing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/GeneratedLocales.hpp"
#include "support/ProgramRun.hpp"

namespace {

namespace fs = std::filesystem;
using recmod::testing::GeneratedLocaleDirectory;
using recmod::testing::kCommaLocales;
using recmod::testing::ProgramOutcome;
using recmod::testing::ReadFileBytes;
using recmod::testing::RunIn;
using recmod::testing::TempDirectory;

// What a start left, with the directory's name taken out of its output.
struct Left {
  int status = -1;
  std::string out, err, report1, report2, report3, picture;
};

Left RunUnder(const std::string& locale, const std::string& localeDirectory,
              const std::vector<std::string>& arguments) {
  TempDirectory dir;
  std::vector<std::string> command = {"/usr/bin/env", "LOCPATH=" + localeDirectory,
                                      "LC_ALL=" + locale, RECMOD_BATCH_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const ProgramOutcome outcome = RunIn(dir.path(), command);
  Left left{outcome.status,  outcome.out,     outcome.err, outcome.report1,
            outcome.report2, outcome.report3, {}};
  if (fs::exists(dir / "picture.svg")) left.picture = ReadFileBytes(dir / "picture.svg");
  for (std::string* text : {&left.out, &left.err}) {
    for (std::size_t at; (at = text->find(dir.string())) != std::string::npos;) {
      text->replace(at, dir.string().size(), "DIR");
    }
  }
  return left;
}

TEST(BatchLocale, CommaLocalesGiveTheBytesOfTheCLocale) {
  const std::string locales = GeneratedLocaleDirectory();
  ASSERT_FALSE(locales.empty()) << "localedef could not generate de_DE and fr_FR";
  const std::vector<std::vector<std::string>> starts = {
      {"--S", "0.05", "--R", "0,3", "--z", "1.5e-1", "--maxgen", "40", "--plot", "picture.svg"},
      {"--mode", "single-finite", "--seed", "3", "--log10n", "3.5", "--maxgen", "40"},
      {"--mode", "loop-sk", "--s-range", "0.05:0.1:0.05", "--k-range", "0.9:1:0.05", "--maxgen",
       "20", "--plot", "picture.svg"},
      {"--mode", "loop-log10n", "--log10n-from", "1", "--log10n-to", "2.5", "--iterations", "3",
       "--seed", "5", "--maxgen", "20", "--plot", "picture.svg"},
      {"--S", "1,5E-1", "--u", ".00002", "--maxgen", "99.9", "--fields"},
  };
  for (auto arguments : starts) {
    // A build without Qt draws no pictures: the rest is compared all the same.
    if (!RECMOD_TEST_PICTURES && arguments.size() >= 2 &&
        arguments[arguments.size() - 2] == "--plot") {
      arguments.resize(arguments.size() - 2);
    }
    const Left reference = RunUnder("C", locales, arguments);
    ASSERT_EQ(reference.status, 0) << arguments[0] << ": " << reference.err;
    for (const char* locale : kCommaLocales) {
      const Left left = RunUnder(locale, locales, arguments);
      const std::string what = std::string(locale) + " " + arguments[0] + " " + arguments[1];
      EXPECT_EQ(left.status, 0) << what << ": " << left.err;
      EXPECT_EQ(left.report1, reference.report1) << what;
      EXPECT_EQ(left.report2, reference.report2) << what;
      EXPECT_EQ(left.report3, reference.report3) << what;
      EXPECT_TRUE(left.picture == reference.picture) << what << ": the pictures differ";
      EXPECT_EQ(left.out, reference.out) << what;
      EXPECT_EQ(left.err, reference.err) << what;
    }
  }
}

}  // namespace
