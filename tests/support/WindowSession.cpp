#include "support/WindowSession.hpp"

#include "support/WindowDriving.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::testing {

WindowSession::WindowSession(const std::filesystem::path& saveDirectory, int mode, int loci) {
  sim.plot = &plot;
  sim.frontEnd = &frontEnd;
  StartWindow(sim, saveDirectory, mode, loci);
}

void WindowSession::Type(int index, const std::string& text) {
  TypeInto(sim, index, text);
}

void WindowSession::Tick(CheckBox box, bool ticked) {
  if (sim.controls.Ticked(box) != ticked) CheckBox_Click(sim, box);
}

}  // namespace recmod::testing
