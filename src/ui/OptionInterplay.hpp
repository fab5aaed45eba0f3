#pragma once

#include "ui/Simulator.hpp"

namespace recmod {

// Enables or disables labl i and txt i together (in that order).
void SetFieldEnabled(Simulator& sim, int index, bool enabled);

// The run option whose selection alone enables txt `index` (8, 9, 18, 19,
// 37..40), or -1 for a field that no run option governs.
int RunOptionOfField(int index);

// The run-option handler: sets the run-mode flags of option k (0..3), ticks
// GeneticDrift for the finite modes (unticks it for the infinite ones) and
// enables only the fields of that mode.
void Option1_GotFocus(Simulator& sim, int k);

void InterdemicDiffusion_Click(Simulator& sim);
void InversionOfS_Click(Simulator& sim);
void LinkageDisequilibrium_Click(Simulator& sim);

// Changes a tick state as the program does: the click handler of
// InterdemicDiffusion, InversionOfS or LinkageDisequilibrium runs at once if
// and only if the state really changed.
void SetTick(Simulator& sim, CheckBox box, int tick);

// A user's click on a check box: toggles it (when enabled) and runs its
// handler, if it has one.
void CheckBox_Click(Simulator& sim, CheckBox box);

}  // namespace recmod
