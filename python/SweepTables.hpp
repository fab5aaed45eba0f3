#pragma once

#include <exception>

#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ModuleSettings.hpp"
#include "run/RunEnd.hpp"
#include "sweep/Study.hpp"

namespace recmod::python {

// A study and the ends of its runs: everything its tables and record derive from.
struct SweepResult {
  Study study;
  ModuleSettings settings;
  std::vector<RunEnd> ends;
  pybind11::object runs;  // the run table, made when first asked for
};

// The run table and the summary as NumPy structured arrays (the columns are
// in SweepClass.cpp's docstrings).
pybind11::object RunTable(const SweepResult& result);
pybind11::object SummaryTable(const SweepResult& result);

// The ends of the runs that a run table holds, as RunTable wrote them.
std::vector<RunEnd> EndsOfRunTable(const pybind11::object& runs);

// The two tables as the command line writes them, header included.
std::string RunTableText(const SweepResult& result);
std::string SummaryTableText(const SweepResult& result);

// Writes `header` and the rows that rowsOf(first, last) gives, a block at a
// time, to the file at `path` (a str or path-like), byte for byte.
// Raises the error of a file that could not be written as Python's OSError.
void RaiseAsOSError(const std::exception& error);

void WriteTable(const pybind11::object& path, const std::string& header, std::int64_t count,
                const std::function<std::string(std::int64_t, std::int64_t)>& rowsOf);

}  // namespace recmod::python
