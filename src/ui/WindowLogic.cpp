#include "ui/WindowLogic.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/HaplotypeTables.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"

namespace recmod {

namespace {

constexpr int kStartValueFields[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17};

// Bounds and start-up values of the fields 0..20, from the field catalogue.
void FillFieldTables(FieldTables& fields) {
  for (std::size_t i = 0; i < fields.FieldMinimum.size(); ++i) {
    const FieldEntry* entry = FindFieldByIndex(static_cast<int>(i));
    fields.FieldMinimum[i] = entry->minimum;
    fields.FieldMaximum[i] = entry->maximum;
    fields.FieldDefault[i] = entry->startValue;
  }
}

}  // namespace

void Form_Load(Simulator& sim) {
  FillFieldTables(sim.fields);
  sim.fields.DefaultDirectory = "C:";
  InitialiseControls(sim);
  ApplyLociCount(sim);
}

void InitialiseControls(Simulator& sim) {
  ControlValues& controls = sim.controls;
  for (int index : kStartValueFields) {
    controls.Text(index) =
        NumberTextSingle(sim.fields.FieldDefault[static_cast<std::size_t>(index)]);
  }
  controls.Text(30) = sim.fields.DefaultDirectory;

  SetTick(sim, CheckBox::InterdemicDiffusion, 0);
  SetTick(sim, CheckBox::InversionOfS, 0);
  SetTick(sim, CheckBox::TotalStochasticity, 1);
  SetTick(sim, CheckBox::GeneticDrift, 1);
  SetTick(sim, CheckBox::LinkageDisequilibrium, 0);
  SetTick(sim, CheckBox::SinusoidalOption, 0);

  // Selecting the button by program runs nothing; the handler runs as if the
  // button had received the focus.
  controls.Option1Selected = 0;
  Option1_GotFocus(sim, 0);
  sim.plot->Refresh();

  // Turns the start-up texts (" 1E-05", " .1", ...) into their typed form.
  ValidateInputs(sim);
}

void ApplyLociCount(Simulator& sim) {
  ControlValues& controls = sim.controls;
  const std::int16_t loci = ParseInt16(controls.AllelesNumberCaption);

  // Switching the number of loci always leaves the linkage-disequilibrium
  // entry off; it exists for two loci only, the start frequency of c for
  // three.
  if (loci == 2) {
    controls.txtEnabled[6] = false;
    SetTick(sim, CheckBox::LinkageDisequilibrium, 0);
    controls.checkEnabled[static_cast<std::size_t>(CheckBox::LinkageDisequilibrium)] = true;
    controls.Lab4Visible = false;
  } else if (loci == 3) {
    controls.txtEnabled[6] = true;
    SetTick(sim, CheckBox::LinkageDisequilibrium, 0);
    controls.checkEnabled[static_cast<std::size_t>(CheckBox::LinkageDisequilibrium)] = false;
    controls.Lab4Visible = true;
  }

  BuildHaplotypeTables(loci, sim.tables);
  sim.plot->Clear();
}

void ToggleAllelesNumber_Click(Simulator& sim) {
  std::string& caption = sim.controls.AllelesNumberCaption;
  caption = caption == "2" ? "3" : "2";
  ApplyLociCount(sim);
}

}  // namespace recmod
