#pragma once

#include <filesystem>
#include <string>

namespace recmod {

// Writes `contents` to `path` through a temporary file in the same directory
// that is then renamed over it: a reader sees the old file or the new one,
// never a torn one. Raises RuntimeError (a file error) naming the path.
void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& contents);

}  // namespace recmod
