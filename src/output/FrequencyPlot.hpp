#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace recmod {

// Passed by reference only: the recorder's state (kept by the window) is all
// that the holders of a Recorder need to see.
struct HaplotypeTables;
struct PopulationState;
class PlotSurface;
class ReportFiles;

// State of the recorder, kept between generations (and, for the previous
// positions, between runs).
struct Recorder {
  double PlotX = 0.0;
  double PrevPlotX = 0.0;
  std::array<double, 17> PrevPlotY{};  // curves 1..16; index 0 unused
  double CumulativeFrequency = 0.0;
  // The total frequency of R+ in the recorded table: the result of a run.
  double SexFrequency = 0.0;
  std::string ReportLine;
};

// Records generation `generation` of a run with `demes` demes and `maxGen`
// generations: stacks the frequencies of the recorded table (deme 1 with one
// deme, the means over demes otherwise) into cumulative curves, R+
// in red below R- in blue, draws them, sets SexFrequency and, in single runs,
// writes the generation's line of "ReportFile1.txt".
void RecordGeneration(Recorder& recorder, std::int16_t generation, std::int16_t demes,
                      std::int16_t maxGen, const HaplotypeTables& tables,
                      const PopulationState& population, bool singleRun, PlotSurface& plot,
                      ReportFiles* reports);

// Draws curve k (1..2 x HaplotypeCount) at the current CumulativeFrequency: a
// point in the first generation, else a segment from the previous generation.
void PlotCurvePoint(Recorder& recorder, int k, std::int16_t generation, bool singleRun,
                    PlotSurface& plot);

// The header line of "ReportFile1.txt": the R+ labels, then the R- labels.
std::string ReportFile1Header(const HaplotypeTables& tables);

}  // namespace recmod
