#include "support/StartupControls.hpp"

#include <cstddef>

#include "driver/ReadParameters.hpp"
#include "model/HaplotypeTables.hpp"
#include "model/ModelParameters.hpp"
#include "run/Engine.hpp"
#include "run/RunInputs.hpp"

namespace recmod::testing {

ControlValues StartupControlValues() {
  ControlValues controls;
  const char* texts[] = {"1E-05", "1E-05", "0.1", "1",   "1",   "1",   "1",   "0", "100", "6",  "1",
                         "0.1",   "100",   "0.3", "0.2", "0.3", "0.2", "250", "1", "12",  "0.5"};
  for (int i = 0; i <= 20; ++i) controls.Text(i) = texts[i];
  controls.Text(30) = "C:";
  controls.AllelesNumberCaption = "2";
  SetTick(controls, CheckBox::RecombForR, true);
  SetTick(controls, CheckBox::TotalStochasticity, true);
  return controls;
}

void SetTick(ControlValues& controls, CheckBox box, bool ticked) {
  controls.tick[static_cast<std::size_t>(box)] = ticked ? 1 : 0;
}

RunInputs InputsOf(const ControlValues& controls, std::int16_t loci) {
  return ReadRunInputs(controls, loci);
}

void PrepareEngine(Engine& engine, const ControlValues& controls, std::int16_t loci) {
  BuildHaplotypeTables(loci, engine.tables);
  ReadParameters(controls, loci, engine.params);
}

RunMode SingleInfiniteRun() {
  RunMode mode;
  mode.SingleRun = true;
  mode.InfinitePopulation = true;
  return mode;
}

RunMode SingleFiniteRun() {
  RunMode mode;
  mode.SingleRun = true;
  return mode;
}

}  // namespace recmod::testing
