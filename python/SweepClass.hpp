#pragma once

#include <pybind11/pybind11.h>

namespace recmod::python {

// Defines recmod.sweep, its result recmod.SweepResult (the run table, the
// summary, their CSV text and the run record) and recmod.OUTCOMES.
void DefineSweep(pybind11::module_& module);

}  // namespace recmod::python
