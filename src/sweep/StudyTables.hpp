#pragma once

#include <cstdint>
#include <string>

#include "run/RunEnd.hpp"
#include "sweep/Study.hpp"
#include "sweep/SweepSummary.hpp"

namespace recmod {

// The two tables of a study as CSV text (comma-separated, a header line, one
// line per row ending in "\n", numbers in the shortest form that reads back
// to the same double). The command line writes them to files and Python
// reads the same rows, so both give the same bytes.

// One row per run:
//   run,<axis names...>,replicate,seed,rplus,outcome,generation
// run is the run's position (0-based), replicate counts from 0 within the
// point, seed is the study's seed (blank without drift), outcome is fixed,
// lost or segregating, generation the generation of fixation or loss (blank
// while segregating).
std::string RunTableHeader(const Study& study);
std::string RunTableRow(const Study& study, std::int64_t run, const RunEnd& end);

// One row per point:
//   <axis names...>,n,mean,sd,se,fixed,fixed_low,fixed_high,lost,lost_low,
//   lost_high,mean_fixation_generation
// (the last blank when no run fixed).
std::string SummaryTableHeader(const Study& study);
std::string SummaryTableRow(const Study& study, std::int64_t point, const PointSummary& summary);

}  // namespace recmod
