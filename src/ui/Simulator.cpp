#include "ui/Simulator.hpp"

namespace recmod {

Simulator::Simulator() : plot(&nullPlot_), frontEnd(&silentFrontEnd_) {}

}  // namespace recmod
