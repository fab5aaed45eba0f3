#include "SweepTables.hpp"

#include <pybind11/numpy.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "ModuleStudies.hpp"
#include "model/RuntimeError.hpp"
#include "output/SafeFileWrite.hpp"
#include "sweep/StudyTables.hpp"

namespace py = pybind11;

namespace recmod::python {

namespace {

// Rows of a table turned into text at a time when it is written.
constexpr std::int64_t kRowsPerWrite = 1 << 16;

py::module_ Numpy() {
  return py::module_::import("numpy");
}

// A column of `count` values, the i-th being valueOf(i).
template <typename T, typename ValueOf>
py::array Column(std::int64_t count, ValueOf valueOf) {
  py::array_t<T> column(static_cast<py::ssize_t>(count));
  T* data = column.mutable_data();
  for (std::int64_t i = 0; i < count; ++i) data[i] = valueOf(i);
  return column;
}

// A column of a structured array as a contiguous array of T.
template <typename T>
py::array_t<T, py::array::c_style> ContiguousColumn(const py::object& table, const char* name) {
  return Numpy()
      .attr("ascontiguousarray")(table[py::str(name)], py::arg("dtype") = py::dtype::of<T>())
      .template cast<py::array_t<T, py::array::c_style>>();
}

using Columns = std::vector<std::pair<std::string, py::array>>;

py::object StructuredArray(std::int64_t count, const Columns& columns) {
  py::list fields;
  for (const auto& [name, column] : columns) fields.append(py::make_tuple(name, column.dtype()));
  py::object array = Numpy().attr("empty")(count, py::arg("dtype") = fields);
  for (const auto& [name, column] : columns) array[py::str(name)] = column;
  return array;
}

// The columns of every axis at each point (or, `perRun`, at each run).
void AppendAxisColumns(const Sweep& sweep, std::int64_t count, bool perRun, Columns& columns) {
  for (std::size_t axis = 0; axis < sweep.axes.size(); ++axis) {
    columns.emplace_back(std::string(sweep.axes[axis].parameter->name),
                         Column<double>(count, [&](std::int64_t i) {
                           return sweep.ValueAt(axis, perRun ? sweep.PointOf(i) : i);
                         }));
  }
}

}  // namespace

py::object RunTable(const SweepResult& result) {
  const Sweep& sweep = result.study.sweep;
  const auto count = static_cast<std::int64_t>(result.ends.size());
  const auto end = [&](std::int64_t run) -> const RunEnd& {
    return result.ends[static_cast<std::size_t>(run)];
  };
  const std::uint64_t seed = sweep.seed.value_or(0);
  Columns columns;
  columns.emplace_back("run", Column<std::int64_t>(count, [](std::int64_t run) { return run; }));
  AppendAxisColumns(sweep, count, true, columns);
  columns.emplace_back("replicate", Column<std::int64_t>(count, [&](std::int64_t run) {
                         return sweep.ReplicateOf(run);
                       }));
  columns.emplace_back("seed", Column<std::uint64_t>(count, [&](std::int64_t) { return seed; }));
  columns.emplace_back("rplus",
                       Column<double>(count, [&](std::int64_t run) { return end(run).rPlus; }));
  columns.emplace_back("outcome", Column<std::int8_t>(count, [&](std::int64_t run) {
                         return static_cast<std::int8_t>(end(run).outcome);
                       }));
  columns.emplace_back("generation", Column<std::int32_t>(count, [&](std::int64_t run) {
                         return static_cast<std::int32_t>(end(run).absorbedAt);
                       }));
  return StructuredArray(count, columns);
}

py::object SummaryTable(const SweepResult& result) {
  const std::vector<PointSummary> summaries = SummariesOf(result.study, result.ends);
  const auto count = static_cast<std::int64_t>(summaries.size());
  const auto at = [&](std::int64_t point) -> const PointSummary& {
    return summaries[static_cast<std::size_t>(point)];
  };
  Columns columns;
  AppendAxisColumns(result.study.sweep, count, false, columns);
  columns.emplace_back("n",
                       Column<std::int64_t>(count, [&](std::int64_t p) { return at(p).count(); }));
  const std::pair<const char*, double (*)(const PointSummary&)> numbers[] = {
      {"mean", [](const PointSummary& s) { return s.mean(); }},
      {"sd", [](const PointSummary& s) { return s.standardDeviation(); }},
      {"se", [](const PointSummary& s) { return s.standardError(); }},
      {"fixed", [](const PointSummary& s) { return s.fixed().value; }},
      {"fixed_low", [](const PointSummary& s) { return s.fixed().low; }},
      {"fixed_high", [](const PointSummary& s) { return s.fixed().high; }},
      {"lost", [](const PointSummary& s) { return s.lost().value; }},
      {"lost_low", [](const PointSummary& s) { return s.lost().low; }},
      {"lost_high", [](const PointSummary& s) { return s.lost().high; }},
      {"mean_fixation_generation",
       [](const PointSummary& s) {
         return s.meanFixationGeneration().value_or(std::numeric_limits<double>::quiet_NaN());
       }},
  };
  for (const auto& [name, valueOf] : numbers) {
    columns.emplace_back(name,
                         Column<double>(count, [&](std::int64_t p) { return valueOf(at(p)); }));
  }
  return StructuredArray(count, columns);
}

std::string RunTableText(const SweepResult& result) {
  return RunTableHeader(result.study) +
         RunTableRows(result.study, result.ends, 0, static_cast<std::int64_t>(result.ends.size()));
}

std::string SummaryTableText(const SweepResult& result) {
  const std::vector<PointSummary> summaries = SummariesOf(result.study, result.ends);
  return SummaryTableHeader(result.study) +
         SummaryTableRows(result.study, summaries, 0, static_cast<std::int64_t>(summaries.size()));
}

std::vector<RunEnd> EndsOfRunTable(const py::object& runs) {
  const auto rplus = ContiguousColumn<double>(runs, "rplus");
  const auto outcome = ContiguousColumn<std::int8_t>(runs, "outcome");
  const auto generation = ContiguousColumn<std::int32_t>(runs, "generation");
  std::vector<RunEnd> ends(static_cast<std::size_t>(rplus.size()));
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const auto at = static_cast<py::ssize_t>(i);
    ends[i] = RunEnd{rplus.at(at), static_cast<RunOutcome>(outcome.at(at)),
                     static_cast<std::int16_t>(generation.at(at))};
  }
  return ends;
}

void RaiseAsOSError(const std::exception& error) {
  PyErr_SetString(PyExc_OSError, error.what());
  throw py::error_already_set();
}

void WriteTable(const py::object& path, const std::string& header, std::int64_t count,
                const std::function<std::string(std::int64_t, std::int64_t)>& rowsOf) {
  // As the command line writes its tables: the name holds the old file or
  // the whole new one, and a link, FIFO or device in the way is refused.
  const std::string target = py::str(py::module_::import("os").attr("fspath")(path));
  try {
    StreamedFileWrite file(target);
    file.Append(header);
    for (std::int64_t first = 0; first < count; first += kRowsPerWrite) {
      file.Append(rowsOf(first, std::min(count, first + kRowsPerWrite)));
    }
    file.Commit();
  } catch (const RuntimeError& error) {
    RaiseAsOSError(error);
  }
}

}  // namespace recmod::python
