#include "support/ScratchMount.hpp"

#include <stdlib.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace recmod::testing {

ScratchMount::ScratchMount(std::size_t bytes, bool readOnly) {
  std::string pattern = (std::filesystem::temp_directory_path() / "recmod-mount-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    failure_ = std::string("mkdtemp: ") + std::strerror(errno);
    return;
  }
  path_ = pattern;
  options_ = "size=" + std::to_string(bytes) + ",mode=0755";
  const unsigned long flags = readOnly ? static_cast<unsigned long>(MS_RDONLY) : 0UL;
  if (::mount("tmpfs", path_.c_str(), "tmpfs", flags, options_.c_str()) != 0) {
    failure_ = std::string("mount: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

ScratchMount::~ScratchMount() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool ScratchMount::Remount(bool readOnly) {
  const unsigned long flags = MS_REMOUNT | (readOnly ? static_cast<unsigned long>(MS_RDONLY) : 0UL);
  return ::mount("tmpfs", path_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
}

}  // namespace recmod::testing
