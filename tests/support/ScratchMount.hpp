#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace recmod::testing {

// A small tmpfs mounted on a fresh directory, for real file-system faults: a
// device that fills up, a file system that is read-only. Mounting needs the
// right to mount (root in a container that allows it); `mounted()` says
// whether it worked, and tests skip when it did not. Unmounted and removed
// when the object goes.
class ScratchMount {
 public:
  ScratchMount(std::size_t bytes, bool readOnly = false);
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool mounted() const { return mounted_; }
  // Why the mount failed, for the skip message.
  const std::string& failure() const { return failure_; }
  const std::filesystem::path& path() const { return path_; }

  // Remounts read-only (true) or writable (false); false when it fails.
  bool Remount(bool readOnly);

 private:
  std::filesystem::path path_;
  std::string options_;
  bool mounted_ = false;
  std::string failure_;
};

}  // namespace recmod::testing
