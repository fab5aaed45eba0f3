#pragma once

#include <string>
#include <vector>

namespace recmod::testing {

// recmod-batch arguments of a loop over Log10(N) whose population loses its
// last haplotype to drift in some runs only: the first such run in loop order
// is position 37 (in the block of Log10(N) 2.5).
inline const std::vector<std::string> kDriftEmptiesSomeRuns = {"--mode",
                                                               "3",
                                                               "--log10n-from",
                                                               "1",
                                                               "--log10n-to",
                                                               "4",
                                                               "--iterations",
                                                               "10",
                                                               "--a",
                                                               "0.98",
                                                               "--b",
                                                               "0.98",
                                                               "--S",
                                                               "1",
                                                               "--K",
                                                               "1.4",
                                                               "--tick",
                                                               "InversionOfS",
                                                               "--tick",
                                                               "SinusoidalOption",
                                                               "--inversion-period",
                                                               "10",
                                                               "--maxgen",
                                                               "30",
                                                               "--seed",
                                                               "1"};

}  // namespace recmod::testing
