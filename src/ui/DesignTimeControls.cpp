#include "ui/DesignTimeControls.hpp"

#include <cstddef>
#include <initializer_list>
#include <utility>

namespace recmod {

namespace {

// The labels that caption a field, by index (labl 18 is the note under the
// loop option; txt 11, 12, 19 have no labl of their own).
constexpr bool IsLablIndex(int index) {
  return (index >= 0 && index <= 10) || (index >= 13 && index <= 18) ||
         (index >= 20 && index <= 22) || index == 30 || (index >= 37 && index <= 40);
}

void Set(std::array<bool, ControlValues::kTxtSlots>& states, std::initializer_list<int> indexes,
         bool value) {
  for (int index : indexes) states[static_cast<std::size_t>(index)] = value;
}

}  // namespace

ControlValues DesignTimeControls() {
  ControlValues controls;

  // Texts that Form_Load leaves as laid out; it writes 0..12, 17 and 30.
  const std::initializer_list<std::pair<int, const char*>> texts = {
      {0, "1E-05"}, {1, "1E-05"}, {2, "0.1"},  {3, "1"},    {4, "1"},    {5, "1"},
      {6, "1"},     {7, "0"},     {8, "100"},  {9, "6"},    {10, "1"},   {11, "0.1"},
      {12, "100"},  {13, "0.3"},  {14, "0.2"}, {15, "0.3"}, {16, "0.2"}, {17, "250"},
      {18, "1"},    {19, "12"},   {20, "0.5"}, {21, "0"},   {22, "1"},   {30, "C:"}};
  for (const auto& [index, text] : texts) controls.Text(index) = text;

  for (int index = 0; index < ControlValues::kTxtSlots; ++index) {
    const auto slot = static_cast<std::size_t>(index);
    controls.txtEnabled[slot] = IsTxtIndex(index);
    controls.lablEnabled[slot] = IsLablIndex(index);
  }
  // Fields of features that start switched off, the displays and the outputs.
  Set(controls.txtEnabled, {11, 12, 13, 14, 15, 16, 21, 22, 37, 38, 39, 40}, false);
  Set(controls.lablEnabled, {13, 14, 15, 16, 21, 22, 37, 38, 39, 40}, false);

  for (CheckBox box : kAllCheckBoxes) {
    controls.checkEnabled[static_cast<std::size_t>(box)] = box != CheckBox::SinusoidalOption;
    controls.tick[static_cast<std::size_t>(box)] = 0;
  }
  controls.tick[static_cast<std::size_t>(CheckBox::RecombForR)] = 1;
  controls.tick[static_cast<std::size_t>(CheckBox::TotalStochasticity)] = 1;

  controls.AllelesNumberCaption = "2";
  controls.Option1Selected = 0;
  controls.lab23Caption.clear();
  controls.txt22Background = kInputBackground;
  // The three-locus legends are placed visibly; the start-up hides them.
  controls.Lab4Visible = true;
  return controls;
}

}  // namespace recmod
