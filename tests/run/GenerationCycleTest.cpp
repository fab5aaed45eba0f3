#include "run/GenerationCycle.hpp"
#include "support/DrawnRun.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "run/Engine.hpp"
#include "run/RunInputs.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/RecordingPlotSurface.hpp"
#include "support/StartupControls.hpp"

namespace recmod {
namespace {

using Kind = testing::RecordingPlotSurface::Kind;

// Notes the selection coefficient in force when each generation is recorded
// (the recorder sets the R+ colour once per generation).
class WatchingSurface : public testing::RecordingPlotSurface {
 public:
  explicit WatchingSurface(const Engine& engine) : engine_(engine) {}
  void SetColour(Rgb colour) override {
    if (colour == kSexColour) S.push_back(engine_.params.S);
    RecordingPlotSurface::SetColour(colour);
  }
  std::vector<double> S;  // S[g - 1] is the value in generation g

 private:
  const Engine& engine_;
};

class GenerationCycleTest : public ::testing::Test {
 protected:
  void Run(const RunMode& mode = testing::SingleInfiniteRun()) {
    testing::PrepareEngine(engine, controls, loci);
    testing::DrawnRun drawn(surface, messages, mode);
    RunGenerations(engine, testing::InputsOf(controls, loci), mode, drawn.outputs);
  }
  void Tick(CheckBox box, bool ticked = true) { testing::SetTick(controls, box, ticked); }

  std::int16_t loci = 2;
  ControlValues controls = testing::StartupControlValues();
  Engine engine;
  WatchingSurface surface{engine};
  CollectedMessages messages;
};

TEST_F(GenerationCycleTest, WithoutInversionSKeepsItsStartValue) {
  Tick(CheckBox::SinusoidalOption);
  Run();
  ASSERT_EQ(surface.S.size(), 250u);
  for (double s : surface.S) ASSERT_EQ(s, 0.1);
  EXPECT_EQ(engine.Generation, 251);
}

TEST_F(GenerationCycleTest, InversionChangesTheSignAtEveryMultipleOfThePeriod) {
  Tick(CheckBox::InversionOfS);
  Run();
  ASSERT_EQ(surface.S.size(), 250u);
  for (int g = 1; g <= 250; ++g) {
    const double expected = (g >= 100 && g < 200) ? -0.1 : 0.1;
    ASSERT_EQ(surface.S[static_cast<std::size_t>(g - 1)], expected) << "generation " << g;
  }
  EXPECT_EQ(engine.params.S, 0.1);

  controls.Text(17) = "150";
  Run();
  EXPECT_EQ(engine.params.S, -0.1);
  // The derived terms follow the inverted S.
  EXPECT_EQ(engine.params.DoubleMutantSelection, 1.0 * (std::pow(1.0 - 0.1, 2) - 1.0));

  controls.Text(17) = "99";
  Run();
  EXPECT_EQ(engine.params.S, 0.1) << "MaxGen below the period: no inversion";
}

TEST_F(GenerationCycleTest, SinusoidalVariationFollowsTheAmplitudeInTheSField) {
  Tick(CheckBox::InversionOfS);
  Tick(CheckBox::SinusoidalOption);
  Run();
  ASSERT_EQ(surface.S.size(), 250u);
  EXPECT_EQ(surface.S[0], 0.1 * std::sin((1.0 / 100 / 2) * 6.28318530717958));
  EXPECT_NEAR(surface.S[0], 0.0031411, 1e-7);
  EXPECT_NEAR(surface.S[49], 0.1, 1e-15);
  for (int g = 1; g <= 99; ++g) EXPECT_GT(surface.S[static_cast<std::size_t>(g - 1)], 0.0) << g;
  for (int g = 101; g <= 199; ++g) EXPECT_LT(surface.S[static_cast<std::size_t>(g - 1)], 0.0) << g;
  EXPECT_NEAR(surface.S[99], 0.0, 1e-15);
  EXPECT_EQ(engine.params.S, surface.S.back());
  EXPECT_EQ(engine.params.DoubleMutantSelection, 1.0 * (std::pow(1.0 + surface.S.back(), 2) - 1.0));
}

TEST_F(GenerationCycleTest, ABlankInversionPeriodStopsTheRunInsteadOfDividingByZero) {
  Tick(CheckBox::InversionOfS);
  controls.Text(12) = "";
  try {
    Run();
    FAIL() << "the run went on";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::DivisionByZero);
    EXPECT_NE(std::string(error.what()).find("generation 1"), std::string::npos) << error.what();
  }
  EXPECT_EQ(surface.Count(Kind::Point), 0u);
}

TEST_F(GenerationCycleTest, WithRecombinationUntickedNothingRecombines) {
  // A start in linkage disequilibrium with nothing else acting: only
  // recombination could move it.
  Tick(CheckBox::LinkageDisequilibrium);
  controls.Text(13) = "0.4";
  controls.Text(14) = "0.1";
  controls.Text(15) = "0.1";
  controls.Text(16) = "0.4";
  controls.Text(0) = "0";
  controls.Text(1) = "0";
  controls.Text(2) = "0";
  controls.Text(7) = "0.5";
  controls.Text(17) = "20";
  Tick(CheckBox::RecombForR, false);
  Run();
  const double expected[5] = {0, 0.4, 0.1, 0.1, 0.4};
  for (int h = 1; h <= 4; ++h) {
    EXPECT_NEAR(engine.population.Freq(0, 1, h), 0.5 * expected[h], 1e-15);
    EXPECT_NEAR(engine.population.Freq(1, 1, h), 0.5 * expected[h], 1e-15);
    EXPECT_EQ(engine.population.Freq(2, 1, h), 0.0) << "the recombining share was never formed";
  }

  Tick(CheckBox::RecombForR, true);
  Run();
  // R+ approaches equilibrium (0.125 of "ab"); R- recombines at half the rate.
  EXPECT_NEAR(engine.population.Freq(0, 1, 1), 0.125, 1e-5);
  EXPECT_LT(engine.population.Freq(1, 1, 1), 0.2 - 0.05);
  EXPECT_NEAR(engine.population.Freq(2, 1, 1), 0.5 * engine.population.Freq(1, 1, 1), 0.01);
}

TEST_F(GenerationCycleTest, TenGenerationsStartWithPointsAndGoOnWithSegments) {
  controls.Text(17) = "10";
  Run();
  EXPECT_EQ(surface.Count(Kind::Point), 8u);
  EXPECT_EQ(surface.Count(Kind::Line), 9u * 8u);
  EXPECT_EQ(surface.S.size(), 10u);
  const auto strokes = surface.Strokes();
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(strokes[i].kind, Kind::Point);
  EXPECT_EQ(engine.Generation, 11);
}

TEST_F(GenerationCycleTest, NoGenerationRunsWithMaxGenZero) {
  Run();
  const double previous = engine.SexFrequency;
  ASSERT_GT(previous, 0.4);
  surface.calls.clear();
  controls.Text(17) = "";
  controls.Text(20) = "0.1";
  Run();
  EXPECT_TRUE(surface.calls.empty());
  EXPECT_EQ(engine.SexFrequency, previous);
  EXPECT_EQ(engine.population.Freq(0, 1, 1), 0.1) << "the initial state is still built";
}

TEST_F(GenerationCycleTest, AnEmptiedDemeStopsTheRunNamingTheGeneration) {
  Tick(CheckBox::LinkageDisequilibrium);
  for (int i : {13, 14, 15}) controls.Text(i) = "0";
  controls.Text(16) = "1";
  controls.Text(2) = "-0.99";
  controls.Text(3) = "1.4";
  try {
    Run();
    FAIL() << "the run went on";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::EmptyDeme);
    const std::string text = error.what();
    EXPECT_EQ(text.rfind("Empty deme", 0), 0u) << text;
    EXPECT_NE(text.find("deme 1"), std::string::npos) << text;
    EXPECT_NE(text.find("generation 1"), std::string::npos) << text;
  }
  for (double f : engine.population.FreqTable) EXPECT_FALSE(std::isnan(f));
  EXPECT_EQ(surface.Count(Kind::Point), 0u) << "the failed generation is not recorded";
}

TEST_F(GenerationCycleTest, InfiniteRunsAreDeterministicAndFiniteRunsFollowTheGenerator) {
  controls.Text(10) = "3";
  controls.Text(7) = "0.3";
  Tick(CheckBox::GeneticDrift);
  Run();
  const auto infinite = engine.population.FreqTable;
  const UniformGenerator untouched = engine.draw.generator;
  Run();
  EXPECT_EQ(engine.population.FreqTable, infinite);
  EXPECT_TRUE(testing::AdvancedBy(untouched, engine.draw.generator, 0));

  // Finite, N = 10^4: the same generator state gives the same run.
  const auto runFinite = [&](std::uint64_t seed) {
    testing::PrepareEngine(engine, controls, loci);
    engine.params.CurrentLog10N = 4.0F;
    engine.draw.generator.Seed(seed);
    testing::DrawnRun drawn(surface, messages, testing::SingleFiniteRun());
    RunGenerations(engine, testing::InputsOf(controls, 3), testing::SingleFiniteRun(),
                   drawn.outputs);
    for (int d = 1; d <= 3; ++d)
      EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, d));
    EXPECT_TRUE(testing::DemeNormalised(engine.population, engine.tables, 1, 3));
    return engine.population.FreqTable;
  };
  const auto first = runFinite(1);
  EXPECT_FALSE(engine.draw.InfinitePopulation);
  EXPECT_EQ(engine.draw.PopulationSize, 10000.0);
  EXPECT_EQ(runFinite(1), first);
  EXPECT_NE(runFinite(2), first);
}

}  // namespace
}  // namespace recmod
