#pragma once

#include <span>
#include <string_view>

namespace recmod {

// One text field of the window: its index, the caption shown beside it, a
// short name for command lines and listings, and whether the user types into
// it (the displays 21, 22 and the loop outputs 37..40 are written only by the
// program).
struct FieldEntry {
  int index;
  const char* alias;
  const char* caption;
  bool input;
};

// Every txt field, in increasing index order. The caption of txt 14 reads
// "aB (from 0 to 1)" as in the window, although the field holds Ab; its alias
// says what it holds.
std::span<const FieldEntry> FieldCatalogue();

// The entry of txt `index` or of the field with that alias (exact, case
// matters: "S" and "ab" differ from "s" and "Ab"); nullptr when there is none.
const FieldEntry* FindFieldByIndex(int index);
const FieldEntry* FindFieldByAlias(std::string_view alias);

}  // namespace recmod
