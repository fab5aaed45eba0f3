#pragma once

#include <cstdint>

namespace recmod {

struct Engine;
struct RunInputs;

// Makes `engine` ready for runs of `inputs` with `loci` (2 or 3) loci: the
// haplotype tables for that number of loci, and the parameters with their
// derived selection terms. RunGenerations then builds each run's start state.
void PrepareEngine(Engine& engine, std::int16_t loci, const RunInputs& inputs);

}  // namespace recmod
