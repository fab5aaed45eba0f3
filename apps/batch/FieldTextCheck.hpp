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

// A number beyond the range of a double (1e309) is out of range like any
// other: its text becomes the largest double of its sign, which the
// validation pass then brings into the field's range as it would 1e308.
// Every other text is returned as it is.
std::string WithinDoubleRange(const std::string& text);

}  // namespace recmod::batch
