#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace recmod {

// What the record of a start says about one report file: enough to tell
// later whether a file is the one that the start wrote.
struct FileDigest {
  std::uint64_t lines = 0;  // newline characters
  std::uint64_t bytes = 0;
  std::string sha256;  // lower-case hexadecimal
};

// Reads the file at `path` once; raises std::runtime_error when it cannot.
FileDigest DigestOfFile(const std::filesystem::path& path);

// The same for bytes in memory, as a file holding exactly `text` would have:
// the digest of a table before (or instead of) writing it.
FileDigest DigestOfText(std::string_view text);

}  // namespace recmod
