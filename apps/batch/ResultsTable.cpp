#include "ResultsTable.hpp"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "BatchCommandLine.hpp"

namespace recmod::batch {

ResultsTable::ResultsTable(std::string path, Simulator& sim) : path_(std::move(path)) {
  namespace fs = std::filesystem;
  const fs::path parent = fs::path(path_).parent_path();
  std::error_code error;
  if (!parent.empty() && !fs::is_directory(parent, error)) {
    throw UsageError("--table: no directory " + parent.string());
  }
  watch_ = std::make_unique<ResultsTableWatch>(sim);
}

void ResultsTable::Write(const Simulator& sim) const {
  if (sim.reports.discarding()) return;
  std::ofstream file(path_, std::ios::binary | std::ios::trunc);
  file << watch_->Text(sim);
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path_);
}

}  // namespace recmod::batch
