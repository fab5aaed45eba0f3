#pragma once

#include "ui/ControlValues.hpp"

namespace recmod {

// The controls as the window is laid out, before Form_Load runs: the texts of
// the fields that the start-up sequence does not write, and the enabled and
// tick states that no start-up handler touches. Fields that hang on an
// unticked feature box (txt 11, 12, 13..16 with their captions and labl 21,
// 22) and the output fields 37..40 start disabled, the displays txt 21 and 22
// are never enabled, SinusoidalOption starts disabled, and only RecombForR
// and TotalStochasticity are ticked. Entries for indexes that name no control
// stay empty and disabled.
ControlValues DesignTimeControls();

}  // namespace recmod
