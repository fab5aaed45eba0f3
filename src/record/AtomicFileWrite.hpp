#pragma once

#include <filesystem>
#include <string>

namespace recmod {

// Writes `contents` to `path` durably through a temporary file in the same
// directory that is then renamed over it (WriteFileSafely): a reader sees the
// old file or the new one, never a torn one, even after a crash. Raises
// RuntimeError (a file error) naming the path.
void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& contents);

}  // namespace recmod
