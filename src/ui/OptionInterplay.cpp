#include "ui/OptionInterplay.hpp"

#include <cstddef>
#include <string>

#include "model/RuntimeError.hpp"

namespace recmod {

namespace {

std::size_t Slot(CheckBox box) {
  return static_cast<std::size_t>(box);
}

void SetCheckEnabled(Simulator& sim, CheckBox box, bool enabled) {
  sim.controls.checkEnabled[Slot(box)] = enabled;
}

void SetTxtEnabled(Simulator& sim, int index, bool enabled) {
  if (!IsTxtIndex(index)) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "txt index " + std::to_string(index));
  }
  sim.controls.txtEnabled[static_cast<std::size_t>(index)] = enabled;
}

void SetLablEnabled(Simulator& sim, int index, bool enabled) {
  if (!IsTxtIndex(index)) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "labl index " + std::to_string(index));
  }
  sim.controls.lablEnabled[static_cast<std::size_t>(index)] = enabled;
}

// The boxes whose click handler also runs when the program changes their tick.
void RunHandler(Simulator& sim, CheckBox box) {
  switch (box) {
    case CheckBox::InterdemicDiffusion:
      InterdemicDiffusion_Click(sim);
      break;
    case CheckBox::InversionOfS:
      InversionOfS_Click(sim);
      break;
    case CheckBox::LinkageDisequilibrium:
      LinkageDisequilibrium_Click(sim);
      break;
    default:
      break;
  }
}

}  // namespace

void SetFieldEnabled(Simulator& sim, int index, bool enabled) {
  SetLablEnabled(sim, index, enabled);
  SetTxtEnabled(sim, index, enabled);
}

void Option1_GotFocus(Simulator& sim, int k) {
  if (k < 0 || k > 3) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "Option1 index " + std::to_string(k));
  }
  // An option button that receives the focus is the selected one of its group.
  sim.controls.Option1Selected = k;

  RunMode& mode = sim.runMode;
  mode = RunMode{};
  SetTick(sim, CheckBox::GeneticDrift, 1);
  for (int index : {8, 9, 37, 38, 39, 40}) SetFieldEnabled(sim, index, false);
  SetTxtEnabled(sim, 18, false);
  SetTxtEnabled(sim, 19, false);

  switch (k) {
    case 0:
      mode.SingleRun = true;
      mode.InfinitePopulation = true;
      SetTick(sim, CheckBox::GeneticDrift, 0);
      break;
    case 1:
      mode.SingleRun = true;
      SetFieldEnabled(sim, 9, true);
      break;
    case 2:
      mode.LoopOverSK = true;
      mode.InfinitePopulation = true;
      SetTick(sim, CheckBox::GeneticDrift, 0);
      SetFieldEnabled(sim, 37, true);
      SetFieldEnabled(sim, 38, true);
      break;
    default:
      // The loop over Log10(N) takes its values from txt 18 and 19, so txt 9
      // stays disabled.
      mode.LoopOverLog10N = true;
      SetFieldEnabled(sim, 8, true);
      SetFieldEnabled(sim, 39, true);
      SetFieldEnabled(sim, 40, true);
      SetTxtEnabled(sim, 18, true);
      SetTxtEnabled(sim, 19, true);
      break;
  }
}

void InterdemicDiffusion_Click(Simulator& sim) {
  SetTxtEnabled(sim, 11, sim.controls.Ticked(CheckBox::InterdemicDiffusion));
}

void InversionOfS_Click(Simulator& sim) {
  // The sinusoidal variation uses the inversion period, so it can only be
  // chosen together with the inversion.
  if (sim.controls.Ticked(CheckBox::InversionOfS)) {
    SetTxtEnabled(sim, 12, true);
    SetCheckEnabled(sim, CheckBox::SinusoidalOption, true);
  } else {
    SetTxtEnabled(sim, 12, false);
    SetCheckEnabled(sim, CheckBox::SinusoidalOption, false);
    SetTick(sim, CheckBox::SinusoidalOption, 0);
  }
}

void LinkageDisequilibrium_Click(Simulator& sim) {
  const bool enabled = sim.controls.Ticked(CheckBox::LinkageDisequilibrium);
  for (int index : {13, 14, 15, 16}) SetFieldEnabled(sim, index, enabled);
  // The captions of Total and D follow; the two displays stay disabled.
  SetLablEnabled(sim, 22, enabled);
  SetLablEnabled(sim, 21, enabled);
}

void SetTick(Simulator& sim, CheckBox box, int tick) {
  const int newTick = tick != 0 ? 1 : 0;
  int& current = sim.controls.tick[Slot(box)];
  if (current == newTick) return;
  current = newTick;
  RunHandler(sim, box);
}

void CheckBox_Click(Simulator& sim, CheckBox box) {
  if (!sim.controls.CheckEnabled(box)) return;
  SetTick(sim, box, sim.controls.Ticked(box) ? 0 : 1);
}

}  // namespace recmod
