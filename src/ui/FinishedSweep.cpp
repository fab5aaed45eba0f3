#include "ui/FinishedSweep.hpp"

#include "output/ReportFiles.hpp"
#include "ui/DecimalParse.hpp"

namespace recmod {

double StartFrequencyOfR(const ControlValues& controls) {
  return ParseDecimal(controls.Text(20));
}

std::optional<SweepPicture> ReadFinishedSweep(const Simulator& sim) {
  const RunMode& mode = sim.runMode;
  std::optional<SweepKind> kind;
  if (mode.SingleRun) return std::nullopt;
  if (mode.InfinitePopulation && mode.LoopOverSK) kind = SweepKind::SK;
  if (!mode.InfinitePopulation && mode.LoopOverLog10N) kind = SweepKind::Log10N;
  if (!kind) return std::nullopt;
  SweepPicture picture;
  picture.results = ReadSweepReports(SaveDirectoryPath(sim.engine.params.SaveDirectory), kind);
  picture.startFrequency = StartFrequencyOfR(sim.controls);
  return picture;
}

}  // namespace recmod
