#include "ui/Simulator.hpp"

#include "ui/DesignTimeControls.hpp"

namespace recmod {

// The window exists with its controls as laid out; Form_Load then brings them
// to their start-up state.
Simulator::Simulator()
    : controls(DesignTimeControls()), plot(&nullPlot_), frontEnd(&silentFrontEnd_) {}

}  // namespace recmod
