#pragma once

#include "run/RunMode.hpp"

namespace recmod {

class MessageSink;
struct Engine;
struct RunInputs;
struct RunOutputs;

// One run: rebuilds the start state and the mutation coefficients, then runs
// exactly MaxGen generations of: variation of S (InversionOfS ticked),
// Recombine (RecombForR ticked), ApplyGeneticDrift (GeneticDrift ticked),
// ApplySelection, ApplyMutation, DiffuseBetweenDemes and RecordGeneration.
// A run-time error names the generation in which it happened.
void RunGenerations(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                    RunOutputs& outputs);

// What a run does before its first generation: the draw takes the run mode,
// the start state is built, and the mutation coefficients and N are set.
void StartRun(Engine& engine, const RunInputs& inputs, const RunMode& mode, MessageSink& messages);

// With InversionOfS ticked, the first step of generation engine.Generation:
// S is inverted at every multiple of the inversion period, or replaced by the
// sinusoid, and the selection terms derived again.
void VaryS(Engine& engine, const RunInputs& inputs);

// The steps of generation engine.Generation, from the variation of S to
// RecordGeneration; RunGenerations calls it once per generation.
void AdvanceGeneration(Engine& engine, const RunInputs& inputs, RunOutputs& outputs);

// The value of S in a generation of the sinusoidal variation: the amplitude
// times sin(2 pi frac(r / 2)), r = generation / InversionPeriod.
double SinusoidalS(double amplitude, double r);

}  // namespace recmod
