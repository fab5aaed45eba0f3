#pragma once

#include <string>

namespace recmod::batch {

// `text` on one line, for listings that a script reads line by line: a
// backslash becomes "\\", TAB "\t", newline "\n", carriage return "\r", and
// every other control character "\xHH"; all else stays as it is.
std::string EscapedText(const std::string& text);

}  // namespace recmod::batch
