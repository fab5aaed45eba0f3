#pragma once

#include "ui/Simulator.hpp"

namespace recmod {

// The start-up sequence: fills the field tables, sets DefaultDirectory,
// runs InitialiseControls and ApplyLociCount.
void Form_Load(Simulator& sim);

// Puts the start-up values into the controls, selects run mode 0 (with its
// handler) and runs the validation pass.
void InitialiseControls(Simulator& sim);

// Applies the number of loci shown by the AllelesNumber caption: enables or
// disables txt 6 and LinkageDisequilibrium (unticking it), shows or hides the
// three-locus legends, rebuilds the haplotype tables and clears the plot.
void ApplyLociCount(Simulator& sim);

// Switches the caption between "2" and "3" and applies it.
void ToggleAllelesNumber_Click(Simulator& sim);

}  // namespace recmod
