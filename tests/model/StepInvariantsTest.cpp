// After every step of a generation each deme sums to 1 and holds no negative
// entry, over many random parameter sets: two and three loci, 1 to 100 demes,
// infinite and finite populations (N = 10 to 1e8), z from 0 to 1, with
// selection, mutation, recombination, drift and diffusion.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "model/Diffusion.hpp"
#include "model/GeneticDrift.hpp"
#include "model/ModelParameters.hpp"
#include "model/Mutation.hpp"
#include "model/Normalisation.hpp"
#include "model/Recombination.hpp"
#include "model/Selection.hpp"
#include "support/FrequencyChecks.hpp"
#include "support/StartupControls.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {
namespace {

struct Model {
  HaplotypeTables tables;
  ModelParameters params;
  PopulationState population;
  MutationCoefficients coefficients;
  RandomDraw draw;
  ControlValues controls;
  std::string description;
};

// A random parameter set and a random normalised start in every deme.
void Choose(std::mt19937& random, Model& model) {
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  const std::int16_t loci = std::bernoulli_distribution(0.5)(random) ? 2 : 3;
  BuildHaplotypeTables(loci, model.tables);
  ModelParameters& p = model.params;
  const int demeChoices[] = {1, 1, 2, 3, 7, 20, 100};
  p.Demes = static_cast<std::int16_t>(demeChoices[random() % 7]);
  p.S = uniform(-0.5, 1.0);
  p.K = uniform(0.5, 1.5);
  DeriveSelectionTerms(loci, p);
  p.u = std::pow(10.0, uniform(-8, -1));
  p.w = std::pow(10.0, uniform(-8, -1));
  p.z = static_cast<float>(random() % 4 == 0 ? 0.0 : uniform(0, 1));
  p.Diffusion = static_cast<float>(uniform(0, 1));
  const bool infinite = std::bernoulli_distribution(0.3)(random);
  model.draw.InfinitePopulation = infinite;
  p.CurrentLog10N = static_cast<float>(1 + static_cast<double>(random() % 15) * 0.5);  // 10 .. 1e8
  BuildMutationCoefficients(p, model.tables, model.coefficients, model.draw);
  testing::SetTick(model.controls, CheckBox::TotalStochasticity, random() % 2 == 0);
  model.draw.generator.Seed(random());

  model.population.ClearFreq();
  for (int d = 1; d <= p.Demes; ++d) {
    for (int c = 0; c <= 1; ++c)
      for (int h = 1; h <= model.tables.HaplotypeCount; ++h)
        model.population.Freq(c, d, h) = random() % 3 == 0 ? 0.0 : uniform(0, 1);
    model.population.Freq(0, d, 1) += 0.01;  // never an empty deme at the start
    NormaliseDeme(model.tables, model.population, d, 0);
  }
  model.description = std::to_string(loci) + " loci, " + std::to_string(p.Demes) + " demes, N = " +
                      (infinite ? "infinite" : std::to_string(std::pow(10.0, p.CurrentLog10N))) +
                      ", S = " + std::to_string(p.S) + ", K = " + std::to_string(p.K) +
                      ", z = " + std::to_string(p.z) + ", D = " + std::to_string(p.Diffusion);
}

// The means over demes are checked once diffusion has formed them.
::testing::AssertionResult AllDemesNormalised(const Model& model, const char* step,
                                              bool withMeans = false) {
  for (int d = 1; d <= model.params.Demes; ++d) {
    auto result = testing::DemeNormalised(model.population, model.tables, d);
    if (!result) return result << " after " << step << " (" << model.description << ")";
  }
  if (withMeans && model.params.Demes > 1) {
    auto result = testing::DemeNormalised(model.population, model.tables, 1, 3);
    if (!result) return result << " (means) after " << step << " (" << model.description << ")";
  }
  return ::testing::AssertionSuccess();
}

TEST(StepInvariants, EveryStepLeavesEveryDemeNormalised) {
  std::mt19937 random(20240611);
  int completed = 0;
  int emptied = 0;
  for (int set = 0; set < 60; ++set) {
    Model model;
    Choose(random, model);
    try {
      for (int generation = 0; generation < 8; ++generation) {
        Recombine(model.params, model.tables, model.population, model.draw);
        ASSERT_TRUE(AllDemesNormalised(model, "recombination"));
        ApplyGeneticDrift(model.params, model.tables, model.population, model.draw);
        ASSERT_TRUE(AllDemesNormalised(model, "drift"));
        ApplySelection(model.params, model.tables, model.population, model.draw);
        ASSERT_TRUE(AllDemesNormalised(model, "selection"));
        ApplyMutation(model.params, model.tables, model.coefficients,
                      model.controls.Ticked(CheckBox::TotalStochasticity), model.population,
                      model.draw);
        ASSERT_TRUE(AllDemesNormalised(model, "mutation"));
        DiffuseBetweenDemes(model.params, model.tables, model.population, model.draw);
        ASSERT_TRUE(AllDemesNormalised(model, "diffusion", true));
      }
      ++completed;
    } catch (const RuntimeError& error) {
      // A deme of a small finite population may draw all its entries to 0;
      // that stops the run as an error, never as NaN. Nothing else may fail.
      ASSERT_EQ(error.kind(), ErrorKind::EmptyDeme)
          << error.what() << " (" << model.description << ")";
      ASSERT_FALSE(model.draw.InfinitePopulation) << model.description;
      ++emptied;
    }
  }
  EXPECT_GE(completed, 50) << emptied << " parameter sets emptied a deme";
}

TEST(StepInvariants, ModifierFrequencyIsKeptByRecombinationMutationAndEqualDemes) {
  // In an infinite population only selection (and diffusion between unequal
  // demes) may change the share of R+ in a deme.
  std::mt19937 random(77);
  for (int set = 0; set < 30; ++set) {
    Model model;
    Choose(random, model);
    model.draw.InfinitePopulation = true;
    const int d = 1;
    auto sexShare = [&] {
      double sex = 0.0;
      for (int h = 1; h <= model.tables.HaplotypeCount; ++h) sex += model.population.Freq(0, d, h);
      return sex;
    };
    const double before = sexShare();
    Recombine(model.params, model.tables, model.population, model.draw);
    EXPECT_NEAR(sexShare(), before, 1e-14) << "recombination, " << model.description;
    ApplyMutation(model.params, model.tables, model.coefficients,
                  model.controls.Ticked(CheckBox::TotalStochasticity), model.population,
                  model.draw);
    EXPECT_NEAR(sexShare(), before, 1e-14) << "mutation, " << model.description;
  }
}

}  // namespace
}  // namespace recmod
