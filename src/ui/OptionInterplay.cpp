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

// The fields that belong to one run option: enabled when it is selected and
// disabled otherwise. txt 18 and 19 have no label of their own.
struct OptionField {
  int index;
  int option;
  bool withLabel;
};
constexpr OptionField kOptionFields[] = {{8, 3, true},   {9, 1, true},  {37, 2, true},
                                         {38, 2, true},  {39, 3, true}, {40, 3, true},
                                         {18, 3, false}, {19, 3, false}};

void SetOptionFieldEnabled(Simulator& sim, const OptionField& field, bool enabled) {
  if (field.withLabel) {
    SetFieldEnabled(sim, field.index, enabled);
  } else {
    SetTxtEnabled(sim, field.index, enabled);
  }
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

  const RunKind& kind = *RunKindOfOption(k);
  sim.runMode = kind.flags;
  SetTick(sim, CheckBox::GeneticDrift, 1);
  // The loop over Log10(N) takes its values from txt 18 and 19, so txt 9
  // belongs to the single finite run alone.
  for (const OptionField& field : kOptionFields) SetOptionFieldEnabled(sim, field, false);
  for (const OptionField& field : kOptionFields) {
    if (field.option == k) SetOptionFieldEnabled(sim, field, true);
  }

  // An infinite population has no drift.
  if (!kind.finitePopulation) SetTick(sim, CheckBox::GeneticDrift, 0);
}

int RunOptionOfField(int index) {
  for (const OptionField& field : kOptionFields) {
    if (field.index == index) return field.option;
  }
  return -1;
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
