#pragma once

#include <cstdint>

namespace recmod {

struct ControlValues;
struct ModelParameters;
struct RunInputs;

// Fills the parameters from the field texts in the order u, w, S, K, (derived
// terms), MaxGen, z, Iterations, Log10N, Demes, Diffusion, InversionPeriod,
// SaveDirectory. Reads only; changes no field.
void ReadParameters(const ControlValues& controls, std::int16_t allelesNumber,
                    ModelParameters& params);

// The typed inputs of a start: the parameters (ReadParameters), the ticks of
// the model switches, the start frequencies and the amplitude of S, each
// field read by the decimal parse.
RunInputs ReadRunInputs(const ControlValues& controls, std::int16_t allelesNumber);

}  // namespace recmod
