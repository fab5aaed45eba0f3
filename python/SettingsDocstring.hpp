#pragma once

#include <string>
#include <string_view>

namespace recmod::python {

// The docstring of recmod.Settings: `signature` (the class's call, as
// inspect writes it), the rules every keyword follows, and one entry for
// every parameter of the table (its range as the window holds it, its start
// value, the table's description and how Python takes it).
std::string SettingsDocstring(std::string_view signature);

// Lines of at most 76 characters, broken at blanks; a broken line goes on
// after `indent` blanks.
std::string Wrapped(std::string_view text, std::size_t indent = 0);

}  // namespace recmod::python
