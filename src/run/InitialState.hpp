#pragma once

namespace recmod {

class MessageSink;
struct Engine;
struct RunInputs;

// The message shown when given haplotype frequencies do not add up to 1.
inline constexpr const char* kFrequenciesNotOneMessage = "ab+Ab+aB+Ab frequencies <> 1!";

// Sets Freq to the state every run begins with: from the start frequencies of
// the alleles in linkage equilibrium, or (LinkageDisequilibrium ticked, two
// loci) from the four haplotype frequencies; split between R+ and R- in the
// proportion R to 1 - R; every deme the same (demes beyond Demes are left
// as they are: no step reads them). Haplotype frequencies that do not
// add up to 1 are refused with the message and InitialStateRejected set; a sum
// that differs from 1 only beyond the 15 digits the window shows counts as 1.
void BuildInitialState(Engine& engine, const RunInputs& inputs, MessageSink& messages);

}  // namespace recmod
