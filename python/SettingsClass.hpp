#pragma once

#include <pybind11/pybind11.h>

#include "ModuleSettings.hpp"

namespace recmod::python {

// Defines recmod.Settings: one keyword-only argument and read-only property
// per keyword of the parameter table, with its docstring, signature,
// equality, repr and pickling.
void DefineSettings(pybind11::module_& module);

// Settings from keyword arguments, as Settings(**arguments) makes them.
ModuleSettings SettingsFromKeywords(const pybind11::dict& arguments);

// The settings as a dict of keyword arguments, in the table's order.
pybind11::dict AsDict(const ModuleSettings& settings);

}  // namespace recmod::python
