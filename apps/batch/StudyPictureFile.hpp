#pragma once

#include <string>

#include "output/sweep/StudyPicture.hpp"

namespace recmod::batch {

// Writes the picture of a study to `path` (PNG, or SVG when the name ends in
// ".svg") through the picture module, whole or not at all. Raises
// std::runtime_error naming the file ("PATH: reason") when pictures are
// unavailable, the study has no picture (more than two axes) or the file
// cannot be written; an earlier file of the name is then untouched. The
// caller holds the lock of the file's directory where that is not its own
// save directory (LockOutputDirectory), or uses the overload below.
void WriteStudyPicture(const StudyPicture& picture, const std::string& path);

// The same, holding the lock of the file's directory while it writes unless
// that is `saveDirectory`, the start's own (already held).
void WriteStudyPicture(const StudyPicture& picture, const std::string& path,
                       const std::string& saveDirectory);

}  // namespace recmod::batch
