// The lane engine against the scalar engine: batches whose runs start from
// states planted to send different lanes of one vector down different sides
// of every branch (negative entries and -0.0 into the clamps, empty R+
// classes past the recombination, mutation past 1, selection below 0, draws
// above and below one individual, whole-count draws, the binomials of exact
// sampling by waiting time and by rejection), and every run's
// recorded table must equal, bit for bit and in every generation, the table
// of the same run alone in the scalar engine.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "lanes/LaneBatch.hpp"
#include "lanes/LaneTestEngines.hpp"

namespace recmod {
namespace {

using testing::Plant;
using testing::RunOfBatch;
using testing::SharedSettings;

struct BatchCase {
  const char* name;
  SharedSettings shared;
  std::vector<RunOfBatch> runs;  // lane by lane (repeated to fill wider vectors)
};

void EveryCoefficient(Engine& engine, double value) {
  for (int k = 1; k <= engine.tables.TransitionCount; ++k) {
    engine.mutation.value[static_cast<std::size_t>(engine.tables.TransitionCoefficient(k))] = value;
  }
}

const std::vector<BatchCase>& Cases() {
  static const std::vector<BatchCase> cases = {
      {"two loci, one deme, z = 0, N infinite",
       {.loci = 2, .demes = 1, .z = 0.0F, .maxGen = 4},
       {
           {"as built"},
           {"negative entries", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.4, -0.1, 0.3, 0.2});
              Plant(e, 1, 1, {0.1, 0.1, -0.05, 0.05});
            }},
           // Mutation by -0.0 keeps the sign of -0.0 entries that no -0.0
           // entry mutates into: they reach the recorded table.
           {"-0.0 entries", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.5, -0.0, 0.25, -0.0});
              Plant(e, 1, 1, {0.25, -0.0, -0.0, 0.0});
              EveryCoefficient(e, -0.0);
            }},
           {"total exactly 1", 0.0, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.25, 0.25, 0.25, 0.25});
              Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.0});
              EveryCoefficient(e, 0.0);
            }},
           {"total 2", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.3, 0.3, 0.3, 0.3});
              Plant(e, 1, 1, {0.2, 0.2, 0.2, 0.2});
            }},
           {"R+ empty: no recombination", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, -0.0, 0.0, 0.0});
              Plant(e, 1, 1, {0.4, 0.3, 0.2, 0.1});
            }},
           {"mutation past 1 and below 0", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.5, 0.0, 0.0, 0.5});
              Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.0});
              EveryCoefficient(e, 1.5);
            }},
           {"S < -1: selection below 0", -1.5, 1.2},
       }},
      {"two loci, three demes, z = 0.3, drift in a finite N",
       {.loci = 2, .demes = 3, .z = 0.3F, .finite = true, .drift = true, .maxGen = 5},
       {
           {"N = 10: most draws below one individual", 0.1, 1.0, 1.0F},
           {"N = 10^6", 0.1, 1.0, 6.0F},
           {"negative entries in deme 2", 0.05, 0.9, 3.0F,
            [](Engine& e) {
              Plant(e, 0, 2, {0.3, -0.2, 0.2, 0.1});
            }},
           {"-0.0 in deme 3", 0.15, 1.1, 2.5F,
            [](Engine& e) {
              Plant(e, 1, 3, {0.2, -0.0, 0.2, -0.0});
            }},
           {"R+ empty in deme 1: the pool is R- alone", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, 0.0, 0.0, 0.0});
            }},
           {"a coefficient below -1: whole-count draws", -0.99, 1.4, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 2, {0.02, 0.02, 0.02, 0.9});
            }},
           {"mutation past 1", 0.1, 1.0, 4.0F,
            [](Engine& e) {
              Plant(e, 0, 3, {0.5, 0.0, 0.0, 0.5});
              Plant(e, 1, 3, {0.0, 0.0, 0.0, 0.0});
              EveryCoefficient(e, 1.5);
            }},
           {"negative S", -0.3, 0.8, 1.5F},
       }},
      {"three loci, two demes, z = 0, N finite, R- reusing the uniforms, inversion of S",
       {.loci = 3,
        .demes = 2,
        .z = 0.0F,
        .finite = true,
        .totalStochasticity = false,
        .inversion = true,
        .inversionPeriod = 2,
        .maxGen = 6},
       {
           {"as built, N = 100", 0.1, 1.0, 2.0F},
           {"N = 10", 0.2, 0.9, 1.0F},
           {"negative S, large N", -0.4, 1.2, 5.0F},
           {"negative entries and -0.0", 0.1, 1.0, 3.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.1, -0.05, 0.1, -0.0, 0.1, 0.1, -0.0, 0.1});
              Plant(e, 1, 2, {-0.0, 0.1, -0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
            }},
           {"R+ empty in deme 2 only", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 2, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
            }},
           {"totals far from 1", 0.1, 1.0, 3.0F,
            [](Engine& e) {
              Plant(e, 1, 1, {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2});
            }},
           {"mutation past 1 and below 0", 0.1, 1.0, 2.5F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5});
              Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
              EveryCoefficient(e, 1.5);
            }},
           {"coefficients below -1", -0.95, 1.3, 1.5F},
       }},
      // Exact sampling: the chain of binomials per deme, by waiting time
      // (few individuals of the rarer outcome) or by rejection around the
      // mode, with success probabilities below and above one half and of 1.
      {"two loci, two demes, z = 0.2, exact sampling",
       {.loci = 2,
        .demes = 2,
        .z = 0.2F,
        .finite = true,
        .drift = true,
        .exact = true,
        .maxGen = 6},
       {
           {"N = 1: one individual", 0.1, 1.0, 0.1F},
           {"N = 10: waiting times", 0.1, 1.0, 1.0F},
           {"N = 10^6: rejection", 0.1, 1.0, 6.0F},
           {"N = 10^9", -0.2, 1.1, 9.0F},
           {"one entry holds the deme: p = 1", 0.1, 1.0, 3.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, 0.0, 0.0, 1.0});
              Plant(e, 1, 1, {0.0, -0.0, 0.0, 0.0});
            }},
           {"negative entries and -0.0 in deme 2", 0.05, 0.9, 2.5F,
            [](Engine& e) {
              Plant(e, 0, 2, {0.3, -0.2, -0.0, 0.1});
              Plant(e, 1, 2, {0.3, 0.2, 0.0, 0.1});
            }},
           {"R+ empty in deme 1", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, 0.0, 0.0, 0.0});
            }},
           {"one class dominant: p above one half", 0.1, 1.0, 4.5F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.9, 0.01, 0.01, 0.0});
              Plant(e, 1, 1, {0.05, 0.0, 0.03, 0.0});
            }},
       }},
      {"three loci, one deme, exact sampling, inversion of S",
       {.loci = 3,
        .demes = 1,
        .z = 0.0F,
        .finite = true,
        .drift = true,
        .exact = true,
        .inversion = true,
        .inversionPeriod = 2,
        .maxGen = 8},
       {
           {"N = 100", 0.1, 1.0, 2.0F},
           {"N = 10^1.5", 0.2, 0.9, 1.5F},
           {"N = 10^5, negative S", -0.4, 1.2, 5.0F},
           {"N = 10^7", 0.1, 1.0, 7.0F},
           {"totals far from 1", 0.1, 1.0, 3.0F,
            [](Engine& e) {
              Plant(e, 1, 1, {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2});
            }},
       }},
      {"two loci, exact sampling without drift: no numbers drawn",
       {.loci = 2, .demes = 1, .finite = true, .exact = true, .maxGen = 5},
       {
           {"N = 10", 0.1, 1.0, 1.0F},
           {"N = 10^4", -0.1, 1.2, 4.0F},
       }},
      {"three loci, one deme, z = 0.5, N infinite, sinusoidal S",
       {.loci = 3,
        .demes = 1,
        .z = 0.5F,
        .inversion = true,
        .sinusoid = true,
        .inversionPeriod = 3,
        .maxGen = 5},
       {
           {"as built"},
           {"K = 0.8", 0.1, 0.8},
           {"negative entries", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 1, 1, {0.1, -0.1, 0.1, 0.1, -0.2, 0.1, 0.1, 0.1});
            }},
           {"R+ empty", 0.1, 1.2, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
            }},
           {"R- empty", 0.1, 1.2, 2.0F,
            [](Engine& e) {
              Plant(e, 1, 1, {0.0, 0.0, -0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
            }},
           {"mutation past 1", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.0, 0.0, 0.0, 0.0, 0.5, 0.0, 0.0, 0.0});
              Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5});
              EveryCoefficient(e, 2.0);
            }},
           {"S < -1", -1.2, 1.0},
           {"total exactly 1 in R+ alone", 0.1, 1.0, 2.0F,
            [](Engine& e) {
              Plant(e, 0, 1, {0.5, 0.125, 0.125, 0.0625, 0.0625, 0.0625, 0.03125, 0.03125});
              Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
            }},
       }},
  };
  return cases;
}

std::uint64_t Bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

TEST(LaneAgreement, EveryRunOfABatchMatchesTheScalarEngineBitForBit) {
  testing::ForEveryLanePath([](LanePath) {
    const auto width = static_cast<std::size_t>(LaneWidth());
    for (const BatchCase& c : Cases()) {
      SCOPED_TRACE(c.name);
      const RunInputs inputs = testing::InputsFor(c.shared);
      const RunMode mode = testing::ModeFor(c.shared);
      const std::size_t batches = (c.runs.size() + width - 1) / width;
      for (std::size_t batch = 0; batch < batches; ++batch) {
        std::vector<Engine> lanes;
        std::vector<const RunOfBatch*> runs;
        for (std::size_t l = 0; l < width; ++l) {
          const std::size_t index = (batch * width + l) % c.runs.size();
          runs.push_back(&c.runs[index]);
          lanes.push_back(testing::StartedEngine(c.shared, c.runs[index], index));
        }
        std::vector<Engine> alone = lanes;
        const int entries = 2 * lanes.front().tables.HaplotypeCount;
        LaneHistory history;
        history.Resize(static_cast<int>(width), entries, c.shared.maxGen);
        ASSERT_EQ(RunLaneBatch(lanes, inputs, mode, nullptr, &history), LaneOutcome::Finished);
        for (std::size_t l = 0; l < width; ++l) {
          SCOPED_TRACE(runs[l]->name);
          const auto expected = testing::ScalarHistory(alone[l], c.shared);
          for (std::int16_t g = 1; g <= c.shared.maxGen; ++g) {
            const double* row = history.Of(static_cast<int>(l), g);
            for (int i = 0; i < entries; ++i) {
              const double want =
                  expected[static_cast<std::size_t>(g - 1)][static_cast<std::size_t>(i)];
              ASSERT_EQ(Bits(row[i]), Bits(want))
                  << "generation " << g << ", entry " << i + 1 << ": " << row[i] << " vs " << want;
            }
          }
          EXPECT_EQ(Bits(lanes[l].SexFrequency), Bits(alone[l].SexFrequency));
        }
      }
    }
  });
}

}  // namespace
}  // namespace recmod
