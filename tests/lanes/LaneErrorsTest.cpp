// A run that meets a run-time error among healthy runs of one batch: the
// batch is left to the scalar engine (which raises the error at its run and
// generation) instead of finishing with a wrong number in that lane.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "lanes/LaneBatch.hpp"
#include "lanes/LaneTestEngines.hpp"
#include "model/RuntimeError.hpp"
#include "run/ParameterTable.hpp"

namespace recmod {
namespace {

using testing::Plant;
using testing::RunOfBatch;
using testing::SharedSettings;

TEST(LaneErrors, ARunWithAnErrorAmongHealthyOnesLeavesTheBatchToTheScalarEngine) {
  struct Case {
    const char* name;
    SharedSettings shared;
    RunOfBatch failing;
  };
  const Case cases[] = {
      {"an empty deme",
       {.loci = 2, .demes = 1, .maxGen = 3},
       {"empty", 0.1, 1.0, 2.0F,
        [](Engine& e) {
          Plant(e, 0, 1, {0.0, 0.0, -0.0, 0.0});
          Plant(e, 1, 1, {0.0, -0.1, 0.0, 0.0});
        }}},
      {"an empty pool of recombination in deme 2 of 3",
       {.loci = 2, .demes = 3, .z = 0.3F, .finite = true, .drift = true, .maxGen = 3},
       {"empty pool", 0.1, 1.0, 2.0F,
        [](Engine& e) {
          Plant(e, 0, 2, {0.0, 0.0, 0.0, 0.0});
          Plant(e, 1, 2, {0.0, 0.0, 0.0, 0.0});
        }}},
      {"an overflow",
       {.loci = 3, .demes = 1, .maxGen = 4},
       {"huge entries", 0.1, 1.0, 2.0F,
        [](Engine& e) {
          Plant(e, 1, 1, {1e308, 1e308, 1e308, 1e308, 1e308, 1e308, 1e308, 1e308});
        }}},
      {"a lane whose selection empties its only deme (N = 10)",
       {.loci = 2, .demes = 1, .finite = true, .maxGen = 3},
       {"only AB, killed", -0.99, 1.4, 1.0F,
        [](Engine& e) {
          Plant(e, 0, 1, {0.0, 0.0, 0.0, 0.5});
          Plant(e, 1, 1, {0.0, 0.0, 0.0, 0.5});
        }}},
  };
  testing::ForEveryLanePath([&](LanePath) {
    const auto width = static_cast<std::size_t>(LaneWidth());
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const RunOfBatch healthy{"healthy", 0.1, 1.0, 2.0F};
      // The failing run in the middle of the vector (or alone in it).
      const std::size_t bad = width / 2;
      std::vector<Engine> lanes;
      for (std::size_t l = 0; l < width; ++l) {
        lanes.push_back(testing::StartedEngine(c.shared, l == bad ? c.failing : healthy, l));
      }
      std::vector<Engine> alone = lanes;
      EXPECT_EQ(RunLaneBatch(lanes, testing::InputsFor(c.shared), testing::ModeFor(c.shared),
                             nullptr, nullptr),
                LaneOutcome::LeftToScalar);
      for (std::size_t l = 0; l < width; ++l) {
        if (l == bad) {
          EXPECT_THROW(testing::ScalarHistory(alone[l], c.shared), RuntimeError);
        } else {
          EXPECT_NO_THROW(testing::ScalarHistory(alone[l], c.shared)) << "lane " << l;
        }
      }
    }

    // A stop asked for ends the batch after its generation.
    const SharedSettings shared{.maxGen = 50};
    std::vector<Engine> lanes(width, testing::StartedEngine(shared, {"run"}, 0));
    const std::atomic<bool> stop{true};
    EXPECT_THROW(
        RunLaneBatch(lanes, testing::InputsFor(shared), testing::ModeFor(shared), &stop, nullptr),
        StartStopped);
  });
}

// Runs of one batch that differ in a parameter the table marks "per batch" are
// left to the scalar engine (the kernel reads such a parameter from the first
// run); runs that differ only in per-lane parameters go side by side.
TEST(LaneErrors, RunsThatDifferInAConstantOfTheBatchGoOneAtATime) {
  const SharedSettings shared{.maxGen = 5};
  testing::ForEveryLanePath([&](LanePath) {
    const auto width = static_cast<std::size_t>(LaneWidth());
    for (const ParameterInfo& parameter : Parameters()) {
      if (parameter.home != ParameterHome::Parameters || parameter.role == LaneRole::Loop) continue;
      SCOPED_TRACE(std::string(parameter.name));
      std::vector<Engine> lanes;
      for (std::size_t l = 0; l < width; ++l) {
        lanes.push_back(testing::StartedEngine(shared, {"run"}, l));
      }
      // The last lane takes another value of the parameter, inside its domain.
      RunInputs changed = testing::InputsFor(shared);
      changed.params = lanes.back().params;
      double other = parameter.startValue + 1.0;
      if (!parameter.whole) other = parameter.startValue == 0.0 ? 0.5 : parameter.startValue / 2.0;
      parameter.apply(changed, other);
      lanes.back().params = changed.params;
      const LaneOutcome expected = parameter.role == LaneRole::PerBatch && width > 1
                                       ? LaneOutcome::LeftToScalar
                                       : LaneOutcome::Finished;
      EXPECT_EQ(RunLaneBatch(lanes, testing::InputsFor(shared), testing::ModeFor(shared), nullptr,
                             nullptr),
                expected);
    }
  });
}

}  // namespace
}  // namespace recmod
