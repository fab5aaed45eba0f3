#include "support/WindowDriving.hpp"

#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::testing {

void StartWindow(Simulator& sim, const std::filesystem::path& saveDirectory, int mode, int loci) {
  Form_Load(sim);
  if (loci == 3) ToggleAllelesNumber_Click(sim);
  SelectOption(sim, mode);
  TypeInto(sim, 30, saveDirectory.string());
}

void TypeInto(Simulator& sim, int index, const std::string& text) {
  sim.controls.Text(index) = text;
  txt_LostFocus(sim, index);
}

void SelectOption(Simulator& sim, int k) {
  sim.controls.Option1Selected = k;
  Option1_GotFocus(sim, k);
}

}  // namespace recmod::testing
