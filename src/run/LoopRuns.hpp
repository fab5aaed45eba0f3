#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace recmod {

class MessageSink;
struct RandomDraw;
struct Engine;
struct ModelParameters;
struct RunInputs;
struct RunMode;
struct RunOutputs;
struct RunSwitches;

// The values the loop over S and K visits: both loop variables start at 0.01
// and 0.8 and grow by repeated addition of 0.01 (so they carry its rounding,
// 0.8200000000000001 and the like) while they stay at or below 0.2001 and
// 1.2001: 20 values of S and 41 of K.
std::vector<double> SKLoopSValues();
std::vector<double> SKLoopKValues();

// The Log10(N) values of the loop over population sizes: from `first` in
// single-precision steps of 0.5 while they stay at or below `last`.
std::vector<float> Log10NLoopValues(float first, float last);

// Every run of a loop goes through one of the two functions below, which touch
// nothing but `engine` and `outputs`, so a run can be given an Engine of its
// own.

// One run of the loop over S and K: the run starts from the loop's S and K
// (whatever an inversion of S in the previous run left), with selection terms
// derived from them. Returns the run's result, SexFrequency.
double RunSKPosition(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                     RunOutputs& outputs, double S, double K);

// The part of RunSKPosition before RunGenerations.
void SetUpSKPosition(Engine& engine, const RunInputs& inputs, MessageSink& messages, double S,
                     double K);

// The generator of a run of the loop over Log10(N): from the seed of the start
// and the run's position in it when there is a seed, otherwise from the time of
// day (every reseed gives a stream of its own).
void SeedLoopRun(RandomDraw& draw, const std::optional<std::uint64_t>& seed,
                 std::uint64_t position);

// How S passes from run to run in the loop over Log10(N). S is not restored
// after a run, so with the inversion of S (and not the sinusoid, which
// recomputes S from the field in every generation) each run starts with the S
// the run before it left: the first run's S negated once for every inversion
// made so far. Every run makes the same number, one per multiple of the
// inversion period up to MaxGen, so the S of any run follows from its position
// alone.
struct InversionHandOver {
  bool inverts = false;    // InversionOfS ticked, SinusoidalOption not
  double firstS = 0.0;     // S of the first run
  bool oddPerRun = false;  // each run negates S an odd number of times
};
InversionHandOver InversionHandOverOf(const RunSwitches& switches, const ModelParameters& params);

// Gives the run at 0-based `position` the S it starts with, firstS x
// (-1)^(position x inversions per run), and derives its selection terms;
// nothing without the inversion.
void StartSOfRun(const InversionHandOver& handOver, std::int64_t position, Engine& engine);

// One run of the loop over Log10(N) at engine.params.CurrentLog10N, with the
// generator as it stands. S is taken as the previous run left it. Returns the
// run's result, SexFrequency.
double RunLog10NPosition(Engine& engine, const RunInputs& inputs, const RunMode& mode,
                         RunOutputs& outputs);

}  // namespace recmod
