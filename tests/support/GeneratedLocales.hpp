#pragma once

#include <string>

namespace recmod::testing {

// Locales with a decimal comma for the tests, generated once with localedef
// into a directory of the build tree (the system need not have them):
// "de_DE.UTF-8" and "fr_FR.UTF-8". Returns the directory for LOCPATH, or ""
// when they could not be generated.
std::string GeneratedLocaleDirectory();

// The comma-decimal locales that GeneratedLocaleDirectory provides.
inline constexpr const char* kCommaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};

}  // namespace recmod::testing
