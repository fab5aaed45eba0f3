#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "run/ParameterTable.hpp"
#include "ui/FieldCatalogue.hpp"

namespace recmod::python {

// How Python writes the value of a Settings keyword.
enum class KeywordType {
  Number,        // an int or a float, never a bool
  Whole,         // an int
  Switch,        // True or False
  SwitchOrNone,  // None, True or False: None lets the run mode decide
  Haplotypes,    // None, or the four start frequencies that turn the switch on
  Sampling,      // "draw" or "exact": the exact-sampling switch
};

// One keyword of recmod.Settings. Every parameter of the table that a run
// holds is the keyword of its own name, typed by its kind, unless Python
// spells it otherwise (SettingsKeywords.cpp lists those spellings).
struct SettingsKeyword {
  std::string_view name;
  KeywordType type;
  // The parameter that the keyword sets (for Haplotypes: the switch).
  const ParameterInfo* parameter;
  // Haplotypes only: the parameters of the four start frequencies.
  std::vector<const ParameterInfo*> members;
  // What Python says of the keyword beyond the table's description; may be empty.
  std::string_view note;
};

// Every keyword, in the order of the parameter table.
std::span<const SettingsKeyword> SettingsKeywords();

// The keyword of that name (exact); nullptr when there is none.
const SettingsKeyword* FindKeyword(std::string_view name);

// The keyword that sets the parameter (the Haplotypes keyword for each of its
// four frequencies); nullptr when Python takes the parameter elsewhere.
const SettingsKeyword* KeywordOf(const ParameterInfo& parameter);

// What Python says of a parameter beyond the table's description: the
// keyword that sets a member, where Python takes a parameter that no keyword
// sets, or the note of a keyword that Python spells its own way; often empty.
std::string PythonNote(const ParameterInfo& parameter);

// The window field whose range bounds the parameter; nullptr for a parameter
// the window shows as a check box or label.
const FieldEntry* RangeField(const ParameterInfo& parameter);

// The position of a parameter in the table.
std::size_t TableIndex(const ParameterInfo& parameter);

}  // namespace recmod::python
