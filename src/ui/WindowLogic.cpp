#include "ui/WindowLogic.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/HaplotypeTables.hpp"
#include "output/NumberText.hpp"
#include "ui/DecimalParse.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"

namespace recmod {

namespace {

struct FieldRange {
  float minimum;
  float maximum;
  float startValue;  // only fields 0..12 and 17 are written from it
};

// Bounds and start-up values of the fields 0..20. The least number of
// iterations is 2, so that a standard deviation can be computed.
constexpr FieldRange kFieldRanges[21] = {
    {1e-10F, 0.0001F, 0.00001F},  // 0  u
    {1e-10F, 0.0001F, 0.00001F},  // 1  w
    {-1.0F, 1.0F, 0.1F},          // 2  S
    {0.6F, 1.4F, 1.0F},           // 3  K
    {0.0F, 1.0F, 1.0F},           // 4  start frequency of a
    {0.0F, 1.0F, 1.0F},           // 5  start frequency of b
    {0.0F, 1.0F, 1.0F},           // 6  start frequency of c
    {0.0F, 1.0F, 0.0F},           // 7  z
    {2.0F, 10000.0F, 100.0F},     // 8  iterations
    {1.0F, 20.0F, 6.0F},          // 9  Log10(N)
    {1.0F, 100.0F, 1.0F},         // 10 demes
    {0.0F, 1.0F, 0.1F},           // 11 diffusion
    {10.0F, 10000.0F, 100.0F},    // 12 inversion period
    {0.0F, 1.0F, 0.0F},           // 13 ab
    {0.0F, 1.0F, 0.0F},           // 14 Ab
    {0.0F, 1.0F, 0.0F},           // 15 aB
    {0.0F, 1.0F, 0.0F},           // 16 AB
    {10.0F, 10000.0F, 250.0F},    // 17 MaxGen
    {1.0F, 11.5F, 0.0F},          // 18 first Log10(N) of the loop
    {1.5F, 20.0F, 0.0F},          // 19 last Log10(N) of the loop
    {0.01F, 0.99F, 0.0F},         // 20 start frequency of R+
};

constexpr int kStartValueFields[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17};

void FillFieldTables(FieldTables& fields) {
  for (std::size_t i = 0; i < fields.FieldMinimum.size(); ++i) {
    fields.FieldMinimum[i] = kFieldRanges[i].minimum;
    fields.FieldMaximum[i] = kFieldRanges[i].maximum;
    fields.FieldDefault[i] = kFieldRanges[i].startValue;
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

  BuildHaplotypeTables(loci, sim.engine.tables);
  sim.plot->Clear();
}

void ToggleAllelesNumber_Click(Simulator& sim) {
  std::string& caption = sim.controls.AllelesNumberCaption;
  caption = caption == "2" ? "3" : "2";
  ApplyLociCount(sim);
}

}  // namespace recmod
