#include "record/AtomicFileWrite.hpp"

#include "output/SafeFileWrite.hpp"

namespace recmod {

void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& contents) {
  // A record is what tells later which start made the files: it must survive
  // a crash that follows its rename.
  WriteFileSafely(path, contents, Durability::Durable);
}

}  // namespace recmod
