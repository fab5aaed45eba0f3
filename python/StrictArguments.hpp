#pragma once

#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace recmod::python {

// Python's arguments taken as the module's types say, without the implicit
// conversions a caster would make: a bool is not a number (S=True is not 1.0),
// a switch is a bool (None, 0.5 or 2 is not one), a whole number is an int.
// A value of the wrong type raises TypeError naming the argument.

// A float or anything with __index__ (int, numpy integers), never a bool.
double NumberArgument(const char* name, pybind11::handle value);
// An int or anything with __index__, never a bool.
long long WholeArgument(const char* name, pybind11::handle value);
// True or False (or a NumPy bool).
bool SwitchArgument(const char* name, pybind11::handle value);
// None, True or False.
std::optional<bool> OptionalSwitchArgument(const char* name, pybind11::handle value);
// A sequence (list, tuple, NumPy array, ...) of numbers.
std::vector<double> NumbersArgument(const char* name, pybind11::handle values);
// None or exactly four numbers.
std::optional<std::array<double, 4>> OptionalFourNumbersArgument(const char* name,
                                                                 pybind11::handle value);
// None or a whole number from 0 to 2**64 - 1 (a ValueError outside that).
std::optional<std::uint64_t> SeedArgument(const char* name, pybind11::handle value);
// A str.
std::string TextArgument(const char* name, pybind11::handle value);
// How many threads share a computation: an int from 1 to 1024, or None for
// every core.
int ThreadsArgument(pybind11::handle threads);

}  // namespace recmod::python
