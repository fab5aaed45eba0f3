// The largest settings at a reduced length: three loci, 100 demes, a finite
// population with drift and diffusion, every feature that can be on. The runs
// go to their end without an error, every deme of the table stays a set of
// frequencies after every generation, and the report files are sound. Under
// the sanitizer build this is also the check for memory faults and leaks.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "run/Engine.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

using testing::TypeInto;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a partial last line: " << text.substr(start, 60);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A number as the report files write it: a blank or "-", then digits with
// at most one point and no leading zero before it, then perhaps E+dd / E-dd.
const std::regex kNumber(
    R"([ -](0|[1-9][0-9]*|[1-9][0-9]*\.[0-9]*[1-9]|\.[0-9]*[1-9])(E[+-][0-9]{2,3})?)");

class Soak : public ::testing::Test {
 protected:
  // Three loci, 100 demes, the highest mutation rates, half the R- class
  // recombining, S inverted sinusoidally: the heaviest work a run can do.
  void SetUp() override {
    sim.plot = &plot;
    Form_Load(sim);
    ToggleAllelesNumber_Click(sim);
    TypeInto(sim, 30, directory.string());
    TypeInto(sim, 0, "0.0001");
    TypeInto(sim, 1, "0.0001");
    TypeInto(sim, 4, "0.6");
    TypeInto(sim, 5, "0.4");
    TypeInto(sim, 6, "0.5");
    TypeInto(sim, 7, "0.5");
    TypeInto(sim, 10, "100");
    TypeInto(sim, 11, "0.2");
    CheckBox_Click(sim, CheckBox::InversionOfS);
    CheckBox_Click(sim, CheckBox::SinusoidalOption);
    TypeInto(sim, 12, "50");
    ASSERT_TRUE(sim.controls.Ticked(CheckBox::InterdemicDiffusion));
    ASSERT_EQ(sim.controls.AllelesNumberCaption, "3");
  }

  testing::TempDirectory directory;
  testing::WatchingPlotSurface plot;
  Simulator sim;
};

TEST_F(Soak, ASingleRunOfThreeLociIn100FiniteDemesKeepsEveryDemeNormalised) {
  testing::SelectOption(sim, 1);
  ASSERT_TRUE(sim.controls.Ticked(CheckBox::GeneticDrift));
  TypeInto(sim, 9, "3");
  TypeInto(sim, 17, "400");
  sim.seed = 11;

  int checkedGeneration = 0;
  int failures = 0;
  plot.onDraw = [&] {
    const Engine& engine = sim.engine;
    if (engine.Generation == checkedGeneration || failures > 3) return;
    checkedGeneration = engine.Generation;
    for (int deme = 1; deme <= engine.params.Demes; ++deme) {
      const auto normalised =
          testing::DemeNormalised(engine.population, engine.tables, deme, 0, 1e-9);
      if (!normalised) {
        ADD_FAILURE() << "generation " << engine.Generation << ": " << normalised.message();
        ++failures;
      }
    }
  };
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);
  EXPECT_EQ(checkedGeneration, 400);
  EXPECT_EQ(sim.engine.params.Demes, 100);
  EXPECT_EQ(sim.engine.tables.HaplotypeCount, 8);

  const std::vector<std::string> lines =
      Lines(testing::ReadFileBytes(directory.path() / "ReportFile1.txt"));
  ASSERT_EQ(lines.size(), 401U);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::istringstream fields(lines[i]);
    std::string field;
    double previous = 0.0;
    int count = 0;
    while (std::getline(fields, field, '\t')) {
      ASSERT_TRUE(std::regex_match(field, kNumber)) << "line " << i << ": \"" << field << "\"";
      const double value = std::stod(field);
      // Cumulative heights: they rise from the first curve to the last.
      EXPECT_GE(value, previous - 1e-12) << "line " << i;
      previous = value;
      ++count;
    }
    EXPECT_EQ(count, 16) << "line " << i;
    EXPECT_NEAR(previous, 1.0, 1e-9) << "line " << i;
  }
}

TEST_F(Soak, TheLoopOverLog10NOfThreeLociIn100DemesGivesSoundStatistics) {
  testing::SelectOption(sim, 3);
  TypeInto(sim, 8, "3");
  TypeInto(sim, 17, "60");
  TypeInto(sim, 18, "2");
  TypeInto(sim, 19, "3");
  sim.seed = 12;
  ASSERT_EQ(Start_Click(sim), StartOutcome::Finished);

  const std::vector<std::string> results =
      Lines(testing::ReadFileBytes(directory.path() / "ReportFile2.txt"));
  ASSERT_EQ(results.size(), 3U * (1U + 3U + 1U));
  const std::vector<std::string> statistics =
      Lines(testing::ReadFileBytes(directory.path() / "ReportFile3.txt"));
  ASSERT_EQ(statistics.size(), 4U);
  for (std::size_t i = 1; i < statistics.size(); ++i) {
    std::istringstream fields(statistics[i]);
    std::string log10N, mean, deviation;
    std::getline(fields, log10N, '\t');
    std::getline(fields, mean, '\t');
    std::getline(fields, deviation, '\t');
    ASSERT_TRUE(std::regex_match(mean, kNumber)) << statistics[i];
    ASSERT_TRUE(std::regex_match(deviation, kNumber)) << statistics[i];
    EXPECT_GE(std::stod(mean), 0.0);
    EXPECT_LE(std::stod(mean), 1.0);
    EXPECT_GE(std::stod(deviation), 0.0);
    EXPECT_TRUE(std::isfinite(std::stod(deviation)));
  }
}

}  // namespace
}  // namespace recmod
