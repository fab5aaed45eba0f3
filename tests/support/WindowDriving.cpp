#include "support/WindowDriving.hpp"

#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"

namespace recmod::testing {

void TypeInto(Simulator& sim, int index, const std::string& text) {
  sim.controls.Text(index) = text;
  txt_LostFocus(sim, index);
}

void SelectOption(Simulator& sim, int k) {
  sim.controls.Option1Selected = k;
  Option1_GotFocus(sim, k);
}

}  // namespace recmod::testing
