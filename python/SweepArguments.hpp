#pragma once

#include <pybind11/pybind11.h>

#include "ModuleSettings.hpp"
#include "sweep/Study.hpp"

namespace recmod::python {

// How recmod.sweep spells a population and a drift scheme.
inline constexpr const char* kInfinite = "infinite";
inline constexpr const char* kFinite = "finite";
inline constexpr const char* kDraw = "draw";
inline constexpr const char* kExact = "exact";

// The study that recmod.sweep's arguments (or an unpickled result's) ask for,
// from the settings as base: axes a dict of parameter name to values,
// replicates an int, population "infinite" or "finite", sampling None (the
// settings' own), "draw" or "exact", seed None or an int. Raises TypeError for
// a value of the wrong type and ValueError for one the study refuses.
Study StudyOfArguments(const ModuleSettings& settings, const pybind11::object& axes,
                       const pybind11::object& replicates, const pybind11::object& population,
                       const pybind11::object& sampling, const pybind11::object& seed, bool force);

}  // namespace recmod::python
