#pragma once

#include <span>
#include <string_view>

namespace recmod {

// How the validation pass rounds a field before it forces it into its range.
enum class FieldRounding {
  None,
  Whole,     // down to a whole number
  HalfStep,  // tenths of 0 and 5 stay, other tenths go to the nearest whole number
};

// One text field of the window: its index, the caption shown beside it, a
// short name for command lines and listings, whether the user types into it
// (the displays 21, 22 and the loop outputs 37..40 are written only by the
// program), the model parameter it holds (its name in the parameter table;
// nullptr for the directory and the displays) and, for the fields 0..20, the
// window's range (single precision, as the window holds it), rounding and the
// value that the start-up writes into it (fields 0..12 and 17 only).
struct FieldEntry {
  int index;
  const char* alias;
  const char* caption;
  bool input;
  const char* parameter = nullptr;
  float minimum = 0.0F;
  float maximum = 0.0F;
  FieldRounding rounding = FieldRounding::None;
  float startValue = 0.0F;
};

// The last field with a range; fields 0..kLastRangedField all have one.
inline constexpr int kLastRangedField = 20;

// Every txt field, in increasing index order. The caption of txt 14 reads
// "aB (from 0 to 1)" as in the window, although the field holds Ab; its alias
// says what it holds.
std::span<const FieldEntry> FieldCatalogue();

// The entry of txt `index` or of the field with that alias (exact, case
// matters: "S" and "ab" differ from "s" and "Ab"); nullptr when there is none.
const FieldEntry* FindFieldByIndex(int index);
const FieldEntry* FindFieldByAlias(std::string_view alias);
// The field that holds the parameter of that canonical name; nullptr when none.
const FieldEntry* FindFieldByParameter(std::string_view name);

}  // namespace recmod
