#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "LoadedWindow.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

using Kind = testing::RecordingPlotSurface::Kind;
using Validation = testing::LoadedWindow;

TEST_F(Validation, TypedNumbersAreNormalisedThenForcedIntoRange) {
  Type(7, "1,5");  // 1.5, above the greatest z
  EXPECT_EQ(Text(7), " 1");
  Type(20, ".5");
  EXPECT_EQ(Text(20), "0.5");
  Type(4, "0,02");
  EXPECT_EQ(Text(4), "0.02");

  // A bound written by the range test keeps its blank and has no leading
  // zero; the next pass trims it and adds the zero.
  Type(20, "0.001");
  EXPECT_EQ(Text(20), " .01");
  ValidateInputs(sim);
  EXPECT_EQ(Text(20), "0.01");
  EXPECT_EQ(Text(7), "1");

  // Letters read as 0: left as typed where 0 is allowed, else the bound.
  Type(2, "abc");
  EXPECT_EQ(Text(2), "abc");
  Type(3, "abc");
  EXPECT_EQ(Text(3), " .6");
}

TEST_F(Validation, WholeNumberFieldsRoundDown) {
  Type(17, "99.9");
  EXPECT_EQ(Text(17), "99");
  EXPECT_EQ(sim.controls.lab23Caption, "99");
  Type(17, "5");
  EXPECT_EQ(Text(17), " 10");
  Type(17, "20000");
  EXPECT_EQ(Text(17), " 10000");
  EXPECT_EQ(sim.controls.lab23Caption, " 10000");

  Type(8, "1.9");  // the least number of iterations is 2
  EXPECT_EQ(Text(8), " 2");
  Type(12, "250.5");
  EXPECT_EQ(Text(12), "250");
  Type(10, "-2.5");  // down means towards minus infinity: -3, then the bound
  EXPECT_EQ(Text(10), " 1");
  Type(10, "7,99");
  EXPECT_EQ(Text(10), "7");
}

TEST_F(Validation, HalfStepFieldsKeepTenthsOfZeroAndFive) {
  const std::pair<const char*, const char*> cases[] = {
      {"6.57", "6.5"}, {"6.3", "6"},   {"6.7", "7"},      {"6.05", "6"},
      {"6.99", "7"},   {"6.5", "6.5"}, {"19.56", "19.5"}, {"1,5", "1.5"}};
  for (const auto& [typed, shown] : cases) {
    Type(9, typed);
    EXPECT_EQ(Text(9), shown) << "typed " << typed;
  }
  // 0.3 first becomes 0, then the least value.
  Type(9, "0.3");
  EXPECT_EQ(Text(9), " 1");
  Type(9, "0.5");
  EXPECT_EQ(Text(9), " 1");
  Type(9, "25");
  EXPECT_EQ(Text(9), " 20");
  // Far beyond any half step, and still no arithmetic fault.
  Type(9, "1e300");
  EXPECT_EQ(Text(9), " 20");
  Type(9, "-1e300");
  EXPECT_EQ(Text(9), " 1");
}

TEST_F(Validation, EndsOfTheLog10NLoop) {
  Type(18, "15");
  EXPECT_EQ(Text(18), " 11.5");
  EXPECT_EQ(Text(19), "12");

  Type(18, "5");
  Type(19, "3");
  EXPECT_EQ(Text(19), "3");
  EXPECT_EQ(Text(18), "3");

  // The first end never exceeds the last after a pass.
  Type(19, "1");  // below 1.5: the bound, then 18 follows it
  EXPECT_EQ(Text(19), " 1.5");
  EXPECT_EQ(Text(18), " 1.5");
  EXPECT_LE(ParseDecimal(Text(18)), ParseDecimal(Text(19)));
}

TEST_F(Validation, SelectionCoefficientStopsShortOfMinusOne) {
  Type(2, "-1");
  EXPECT_EQ(Text(2), "-.99");
  Type(2, "-2");  // the range test writes -1, the same pass then -0.99
  EXPECT_EQ(Text(2), "-.99");
  EXPECT_DOUBLE_EQ(ParseDecimal(Text(2)), -0.99);
  Type(2, "-0.5");
  EXPECT_EQ(Text(2), "-0.5");
}

TEST_F(Validation, SinglePrecisionBoundsRewriteTheirOwnDecimalValues) {
  // Widened to double, 0.6F and 1E-10F lie just above, 1.4F and 0.0001F just
  // below the decimal numbers, so those exact texts fail their own range test.
  const std::pair<int, const char*> cases[] = {{3, "0.6"},    {3, "1.4"},   {0, "1E-10"},
                                               {0, "0.0001"}, {1, "1E-10"}, {1, "0.0001"}};
  const char* bound[] = {" .6", " 1.4", " 1E-10", " .0001", " 1E-10", " .0001"};
  int k = 0;
  for (const auto& [index, typed] : cases) {
    Type(index, typed);
    EXPECT_EQ(Text(index), bound[k]) << "txt " << index << " typed " << typed;
    // The number a run reads is the one typed.
    EXPECT_EQ(ParseDecimal(Text(index)), ParseDecimal(typed));
    // Every later pass trims, adds the zero and writes the bound again.
    ValidateInputs(sim);
    EXPECT_EQ(Text(index), bound[k]) << "second pass, txt " << index;
    ++k;
  }
  // 0.01 and 0.99 are inside the single-precision bounds of R+.
  Type(20, "0.01");
  EXPECT_EQ(Text(20), "0.01");
  Type(20, "0.99");
  EXPECT_EQ(Text(20), "0.99");
}

TEST_F(Validation, AnEmptyFieldIsLeftEmptyAndNotRangeTested) {
  // txt 2 holds 0.1, below the least K; an empty txt 3 must not take it over.
  Type(3, "");
  EXPECT_EQ(Text(3), "");
  Type(3, "   ");
  EXPECT_EQ(Text(3), "   ");
  Type(17, "");
  EXPECT_EQ(Text(17), "");
  EXPECT_EQ(sim.controls.lab23Caption, "");
  Type(0, "");
  EXPECT_EQ(Text(0), "");
  EXPECT_EQ(Text(1), "1E-05");
}

TEST_F(Validation, BlanksAroundANumberAreTrimmed) {
  Type(2, "  ,25  ");
  EXPECT_EQ(Text(2), "0.25");
  Type(11, " 0.5");
  EXPECT_EQ(Text(11), "0.5");
}

TEST_F(Validation, ANumberTooLargeForADoubleIsAnOverflowError) {
  sim.controls.Text(2) = "1e999";
  try {
    ValidateInputs(sim);
    FAIL() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::Overflow);
  }
}

TEST_F(Validation, LinkageDisequilibriumTotalAndD) {
  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  ValidateInputs(sim);
  EXPECT_EQ(Text(22), " 1");
  EXPECT_EQ(sim.controls.txt22Background, kInputBackground);
  EXPECT_EQ(Text(21), " 0");

  for (int index : {13, 14, 15, 16}) Type(index, "0.3");
  EXPECT_EQ(Text(22), " 1.2");
  EXPECT_EQ(sim.controls.txt22Background, kWarningBackground);

  // 0 + 0.2 + 0.7 + 0.1 falls short of 1 in the last place of a double;
  // read back from its 15-digit text the total is 1.
  ASSERT_NE(0.0 + 0.2 + 0.7 + 0.1, 1.0);
  Type(13, "0");
  Type(14, "0.2");
  Type(15, "0.7");
  Type(16, "0.1");
  EXPECT_EQ(Text(22), " 1");
  EXPECT_EQ(sim.controls.txt22Background, kInputBackground);
  // D = ab * AB - aB * Ab = 0 * 0.1 - 0.7 * 0.2, written unnormalised.
  EXPECT_EQ(Text(21), "-.14");
  Type(13, "0.1");
  Type(15, "0.6");
  EXPECT_EQ(Text(21), "-.11");  // 0.1 * 0.1 - 0.6 * 0.2

  // Unticked, the displays are no longer computed.
  CheckBox_Click(sim, CheckBox::LinkageDisequilibrium);
  Type(13, "0.5");
  EXPECT_EQ(Text(22), " 1");
}

TEST_F(Validation, DemesDecideTheDiffusionBox) {
  Type(10, "3");
  EXPECT_TRUE(Ticked(CheckBox::InterdemicDiffusion));
  EXPECT_TRUE(TxtEnabled(11));

  CheckBox_Click(sim, CheckBox::InterdemicDiffusion);  // the user unticks it
  EXPECT_FALSE(TxtEnabled(11));
  ValidateInputs(sim);
  EXPECT_TRUE(Ticked(CheckBox::InterdemicDiffusion));
  EXPECT_TRUE(TxtEnabled(11));

  Type(10, "1");
  EXPECT_FALSE(Ticked(CheckBox::InterdemicDiffusion));
  EXPECT_FALSE(TxtEnabled(11));
}

TEST_F(Validation, EveryPassErasesThePlotAndLeavingAnyFieldRunsIt) {
  for (int index : {0, 20, 21, 22, 30, 37, 40}) {
    plot.calls.clear();
    txt_LostFocus(sim, index);
    ASSERT_EQ(plot.calls.size(), 3U) << "txt " << index;
    EXPECT_EQ(plot.calls[0].kind, Kind::Clear);
    EXPECT_EQ(plot.calls[1].kind, Kind::SetPosition);
    EXPECT_EQ(plot.calls[1].x1, 0.0F);
    EXPECT_EQ(plot.calls[1].y1, 0.0F);
    EXPECT_EQ(plot.calls[2].kind, Kind::Refresh);
  }
  EXPECT_THROW(txt_LostFocus(sim, 25), RuntimeError);
}

TEST_F(Validation, LosingFocusNormalisesOnlyFields1To19BeforeThePass) {
  // Outside 1..19 the text is not normalised on leaving; the pass works on a
  // trimmed copy and so reaches the same form for the ranged fields.
  sim.controls.Text(37) = ",5";
  txt_LostFocus(sim, 37);
  EXPECT_EQ(Text(37), ",5");
  sim.controls.Text(21) = "00";
  txt_LostFocus(sim, 21);
  EXPECT_EQ(Text(21), "00");
  Type(0, "0,00005");
  EXPECT_EQ(Text(0), "0.00005");
}

// Runs a block with the working directory set to `directory`.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& directory)
      : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~WorkingDirectory() { std::filesystem::current_path(saved_); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path saved_;
};

TEST_F(Validation, SaveDirectoryMustNameAnExistingDirectory) {
  testing::TempDirectory temp;
  const std::string dir = temp.string();

  // An empty directory is fine, written with or without a separator, and
  // with backslashes.
  Type(30, dir);
  EXPECT_EQ(Text(30), dir);
  Type(30, dir + "/");
  EXPECT_EQ(Text(30), dir + "/");
  std::string backslashed = dir + "\\";
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  Type(30, backslashed);
  EXPECT_EQ(Text(30), backslashed);

  std::filesystem::create_directory(temp.path() / "sub");
  Type(30, (temp.path() / "sub").string());
  EXPECT_EQ(Text(30), (temp.path() / "sub").string());

  // Anything else falls back to the default save directory.
  const std::string file = (temp.path() / "notes.txt").string();
  std::ofstream(file) << "x";
  Type(30, file);
  EXPECT_EQ(Text(30), "C:");
  Type(30, dir + "/missing");
  EXPECT_EQ(Text(30), "C:");
  Type(30, "");
  EXPECT_EQ(Text(30), "C:");
  Type(30, " " + dir);
  EXPECT_EQ(Text(30), "C:");
}

TEST_F(Validation, DefaultSaveDirectoryIsTheWorkingDirectory) {
  testing::TempDirectory temp;
  WorkingDirectory inside(temp.path());
  // Even an empty working directory passes: the files are written there.
  Type(30, "C:");
  EXPECT_EQ(Text(30), "C:");
  std::ofstream(temp.path() / "data.txt") << "x";
  Type(30, "C:");
  EXPECT_EQ(Text(30), "C:");
}

}  // namespace
}  // namespace recmod
