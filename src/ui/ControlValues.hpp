#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "output/Rgb.hpp"

namespace recmod {

// The check boxes of the window, by their names there.
enum class CheckBox : int {
  RecombForR,
  TotalStochasticity,
  GeneticDrift,
  InterdemicDiffusion,
  InversionOfS,
  SinusoidalOption,
  LinkageDisequilibrium,
  // "Exact sampling": multinomial Wright-Fisher drift instead of the
  // entry-by-entry draw (off at start-up).
  ExactSampling,
};
inline constexpr int kCheckBoxCount = 8;
inline constexpr std::array<CheckBox, kCheckBoxCount> kAllCheckBoxes = {
    CheckBox::RecombForR,
    CheckBox::TotalStochasticity,
    CheckBox::GeneticDrift,
    CheckBox::InterdemicDiffusion,
    CheckBox::InversionOfS,
    CheckBox::SinusoidalOption,
    CheckBox::LinkageDisequilibrium,
    CheckBox::ExactSampling};

// "RecombForR", "TotalStochasticity", ...
const char* CheckBoxName(CheckBox box);
// The box of that name; false when there is none.
bool CheckBoxFromName(std::string_view name, CheckBox& box);

// Whether `index` names one of the text fields txt 0..22, 30, 37..40.
constexpr bool IsTxtIndex(int index) {
  return (index >= 0 && index <= 22) || index == 30 || (index >= 37 && index <= 40);
}

inline constexpr Rgb kInputBackground{192, 255, 224};
inline constexpr Rgb kWarningBackground{192, 0, 0};

// The values of the window's controls that the logic reads and writes. The
// window presents them; without a window they are this plain record, read and
// written by the same operations. The model reads its inputs from here at the
// moments they are needed, never from copies of its own.
struct ControlValues {
  static constexpr int kTxtSlots = 41;  // txt indexes 0..40, sparse

  std::array<std::string, kTxtSlots> txt{};
  std::array<bool, kTxtSlots> txtEnabled{};
  std::array<bool, kTxtSlots> lablEnabled{};
  std::array<int, kCheckBoxCount> tick{};  // 1 ticked, 0 unticked
  std::array<bool, kCheckBoxCount> checkEnabled{};
  std::string AllelesNumberCaption = "2";
  int Option1Selected = 0;
  std::string lab23Caption;
  Rgb txt22Background = kInputBackground;
  bool Lab4Visible = false;

  // The text of txt `index`; an index that names no field is a "Subscript out
  // of range" error.
  const std::string& Text(int index) const;
  std::string& Text(int index);
  int Tick(CheckBox box) const { return tick[static_cast<std::size_t>(box)]; }
  bool Ticked(CheckBox box) const { return Tick(box) != 0; }
  bool CheckEnabled(CheckBox box) const { return checkEnabled[static_cast<std::size_t>(box)]; }
};

}  // namespace recmod
