#pragma once

#include <optional>
#include <string>

namespace recmod::batch {

// A fresh directory under $TMPDIR (or /tmp) in which --verify repeats a
// recorded start; nothing, after saying why on stderr, when none can be made.
std::optional<std::string> MakeVerifyScratch();

}  // namespace recmod::batch
