#pragma once

#include <optional>

#include "output/sweep/SweepReports.hpp"
#include "ui/Simulator.hpp"

namespace recmod {

// The start frequency of R+ in the window's field (txt 20): the value at
// which a sweep's picture says R+ neither gained nor lost.
double StartFrequencyOfR(const ControlValues& controls);

// The sweep that the last start of a loop mode wrote, read back from its
// report files in the save directory, with the start frequency of R+ of that
// start. Nothing after a single run or when no loop ran. Raises
// ReportFormatError when the files cannot be read.
std::optional<SweepPicture> ReadFinishedSweep(const Simulator& sim);

}  // namespace recmod
