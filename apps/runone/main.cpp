// One run at the start-up values of the window, N infinite, printing the
// final frequency of R+. A smoke test of the engine without any front end.
#include <cstdio>

#include "control/GenerationCycle.hpp"
#include "model/RuntimeError.hpp"
#include "ui/ControlValues.hpp"

int main() {
  using namespace recmod;
  ControlValues controls;
  const char* texts[] = {"1E-05", "1E-05", "0.1", "1", "1", "1", "1", "0", "100", "6", "1"};
  for (int i = 0; i <= 10; ++i) controls.Text(i) = texts[i];
  controls.Text(11) = "0.1";
  controls.Text(12) = "100";
  controls.Text(17) = "250";
  controls.Text(20) = "0.5";
  controls.Text(30) = "C:";
  controls.tick[static_cast<int>(CheckBox::RecombForR)] = 1;
  controls.tick[static_cast<int>(CheckBox::TotalStochasticity)] = 1;

  Engine engine;
  BuildHaplotypeTables(2, engine.tables);
  ReadParameters(controls, 2, engine.params);
  RunMode mode;
  mode.InfinitePopulation = true;
  NullPlotSurface plot;
  CollectedMessages messages;
  RunOutputs outputs{plot, nullptr, messages, nullptr};
  try {
    RunGenerations(engine, controls, mode, outputs);
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 3;
  }
  std::printf("R+ frequency after %d generations: %.15g\n", engine.params.MaxGen,
              engine.recorder.SexFrequency);
  return 0;
}
