#include "driver/FinishedSweep.hpp"

#include "numbers/DecimalParse.hpp"
#include "output/ReportFiles.hpp"

namespace recmod {

double StartFrequencyOfR(const ControlValues& controls) {
  return ParseDecimal(controls.Text(20));
}

std::optional<SweepPicture> ReadFinishedSweep(const Simulator& sim) {
  std::optional<SweepKind> kind;
  switch (StartKindOf(sim.runMode)) {
    case StartKind::LoopOverSK:
      kind = SweepKind::SK;
      break;
    case StartKind::LoopOverLog10N:
      kind = SweepKind::Log10N;
      break;
    default:
      return std::nullopt;
  }
  SweepPicture picture;
  picture.results = ReadSweepReports(SaveDirectoryPath(sim.StartDirectory()), kind);
  picture.startFrequency = StartFrequencyOfR(sim.controls);
  return picture;
}

}  // namespace recmod
