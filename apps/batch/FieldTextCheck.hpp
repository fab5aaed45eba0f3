#pragma once

#include "BatchCommandLine.hpp"

namespace recmod::batch {

// A script's typo must stop the job, where the window would silently read a
// wrong number: a numeric field (0..20) takes only a text that it reads whole
// as a number once normalised as the window normalises it (",5", "1,5" and
// " 2 " pass; "abc", "1e-1x", "0x10" do not), or an empty text; the save
// directory must name an existing directory. Raises UsageError naming the
// option and the text.
void CheckFieldText(const FieldTyping& typing);

}  // namespace recmod::batch
