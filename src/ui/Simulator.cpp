#include "ui/Simulator.hpp"

#include "output/ReportFiles.hpp"
#include "run/Engine.hpp"
#include "run/RunInputs.hpp"
#include "ui/DesignTimeControls.hpp"

namespace recmod {

struct Simulator::RunParts {
  RunInputs inputs;
  Engine engine;
  ReportFiles reports;
};

// The window exists with its controls as laid out; Form_Load then brings them
// to their start-up state.
Simulator::Simulator()
    : parts_(std::make_unique<RunParts>()),
      controls(DesignTimeControls()),
      inputs(parts_->inputs),
      engine(parts_->engine),
      tables(parts_->engine.tables),
      reports(parts_->reports),
      plot(&nullPlot_),
      frontEnd(&silentFrontEnd_) {}

Simulator::~Simulator() = default;

const std::string& Simulator::StartDirectory() const {
  return engine.params.SaveDirectory;
}

}  // namespace recmod
