#include "ResultsTable.hpp"

#include "OutputPaths.hpp"
#include "output/ReportFiles.hpp"

namespace recmod::batch {

ResultsTable::ResultsTable(std::string path, Simulator& sim) : path_(std::move(path)) {
  watch_ = std::make_unique<ResultsTableWatch>(sim);
}

void ResultsTable::Write(const Simulator& sim) const {
  if (sim.reports.discarding()) return;
  WriteOutputFile(path_, watch_->Text(sim), sim.StartDirectory());
}

}  // namespace recmod::batch
