#include "support/GeneratedLocales.hpp"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace recmod::testing {

std::string GeneratedLocaleDirectory() {
  namespace fs = std::filesystem;
  const fs::path directory = RECMOD_LOCALE_DIR;
  std::error_code error;
  fs::create_directories(directory, error);
  for (const std::string name : {"de_DE", "fr_FR"}) {
    const fs::path target = directory / (name + ".UTF-8");
    if (fs::exists(target / "LC_NUMERIC", error)) continue;
    // Into a name of this process first: tests that run at the same time
    // must not see a half-written locale.
    const fs::path partial = directory / (name + ".partial-" + std::to_string(::getpid()));
    const std::string command =
        "localedef -i " + name + " -f UTF-8 '" + partial.string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    if (!fs::exists(partial / "LC_NUMERIC", error)) return {};
    fs::rename(partial, target, error);
    if (error) fs::remove_all(partial, error);
    if (!fs::exists(target / "LC_NUMERIC", error)) return {};
  }
  return directory.string();
}

}  // namespace recmod::testing
