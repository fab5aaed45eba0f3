#pragma once

#include <cstdint>

#include "run/RunMode.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {
struct Engine;
struct RunInputs;
}  // namespace recmod

namespace recmod::testing {

// The control values as the window shows them after start-up: two loci,
// u = w = 1E-05, S = 0.1, K = 1, a = b = c = 1, z = 0, 100 iterations,
// Log10(N) = 6, one deme, diffusion 0.1, inversion period 100, haplotype
// frequencies 0.3 / 0.2 / 0.3 / 0.2, MaxGen 250, the loop over Log10(N) from
// 1 to 12, R+ = 0.5, directory "C:"; RecombForR and TotalStochasticity ticked.
ControlValues StartupControlValues();

// Ticks or unticks a check box.
void SetTick(ControlValues& controls, CheckBox box, bool ticked);

// Builds the haplotype tables for `loci` and reads the parameters from the
// controls, as a start does before its first run.
void PrepareEngine(Engine& engine, const ControlValues& controls, std::int16_t loci = 2);

// The typed inputs that a start would hand the engine for `controls`.
RunInputs InputsOf(const ControlValues& controls, std::int16_t loci = 2);

// The run-mode flags of option 0 (one run, N infinite) and option 1 (one run,
// N finite).
RunMode SingleInfiniteRun();
RunMode SingleFiniteRun();

}  // namespace recmod::testing
