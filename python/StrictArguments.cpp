#include "StrictArguments.hpp"

#include <stdexcept>
#include <string>
#include <thread>

#include "ModuleSettings.hpp"

namespace py = pybind11;

namespace recmod::python {

namespace {

bool IsBool(py::handle value) {
  if (PyBool_Check(value.ptr())) return true;
  // NumPy's bool is no subclass of bool; the type is looked up once and kept
  // for the life of the process.
  static const py::object* const numpyBool =
      new py::object(py::module_::import("numpy").attr("bool_"));
  return py::isinstance(value, *numpyBool);
}

std::string TypeName(py::handle value) {
  return py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>();
}

// The value as Python shows it, cut short: a message names it, never echoes
// a page of it.
std::string ShortRepr(py::handle value) {
  constexpr std::size_t kMaxLength = 40;
  std::string text = py::repr(value).cast<std::string>();
  if (text.size() > kMaxLength) text = text.substr(0, kMaxLength) + "...";
  return text;
}

[[noreturn]] void Refuse(const char* name, const char* expected, py::handle value) {
  throw py::type_error(std::string(name) + " must be " + expected + ", not " + TypeName(value) +
                       " (" + ShortRepr(value) + ")");
}

// An int beyond what the setting's type holds: outside every range.
[[noreturn]] void RefuseTooLarge(const char* name) {
  std::string text = std::string(name) + " is an int too large for any setting";
  try {
    const ParameterRange range = RangeOf(name);
    text += " (its range is " + ShortestText(range.minimum) + " .. " + ShortestText(range.maximum) +
            ")";
  } catch (const std::out_of_range&) {
    // A parameter without a field: the message stands without a range.
  }
  throw SettingsError(text);
}

}  // namespace

double NumberArgument(const char* name, py::handle value) {
  if (IsBool(value)) Refuse(name, "a number", value);
  if (PyFloat_Check(value.ptr())) return PyFloat_AsDouble(value.ptr());
  if (PyIndex_Check(value.ptr())) {
    const py::object whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!whole) throw py::error_already_set();
    const double number = PyLong_AsDouble(whole.ptr());
    if (number == -1.0 && PyErr_Occurred() != nullptr) {
      PyErr_Clear();
      RefuseTooLarge(name);
    }
    return number;
  }
  Refuse(name, "a number", value);
}

long long WholeArgument(const char* name, py::handle value) {
  if (IsBool(value) || !PyIndex_Check(value.ptr())) Refuse(name, "a whole number (int)", value);
  const py::object whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!whole) throw py::error_already_set();
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(whole.ptr(), &overflow);
  if (overflow != 0) RefuseTooLarge(name);
  if (number == -1 && PyErr_Occurred() != nullptr) throw py::error_already_set();
  return number;
}

bool SwitchArgument(const char* name, py::handle value) {
  if (!IsBool(value)) Refuse(name, "True or False", value);
  return PyObject_IsTrue(value.ptr()) == 1;
}

std::optional<bool> OptionalSwitchArgument(const char* name, py::handle value) {
  if (value.is_none()) return std::nullopt;
  if (!IsBool(value)) Refuse(name, "None, True or False", value);
  return PyObject_IsTrue(value.ptr()) == 1;
}

std::vector<double> NumbersArgument(const char* name, py::handle values) {
  if (!PySequence_Check(values.ptr()) || PyUnicode_Check(values.ptr()) ||
      PyBytes_Check(values.ptr())) {
    Refuse(name, "a sequence of numbers", values);
  }
  std::vector<double> numbers;
  for (const py::handle value : py::reinterpret_borrow<py::sequence>(values)) {
    numbers.push_back(NumberArgument(name, value));
  }
  return numbers;
}

std::optional<std::array<double, 4>> OptionalFourNumbersArgument(const char* name,
                                                                 py::handle value) {
  if (value.is_none()) return std::nullopt;
  const std::vector<double> numbers = NumbersArgument(name, value);
  if (numbers.size() != 4) {
    throw SettingsError(std::string(name) + " must hold four numbers, not " +
                        std::to_string(numbers.size()));
  }
  return std::array<double, 4>{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::optional<std::uint64_t> SeedArgument(const char* name, py::handle value) {
  if (value.is_none()) return std::nullopt;
  if (IsBool(value) || !PyIndex_Check(value.ptr())) Refuse(name, "None or an int", value);
  const py::object whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!whole) throw py::error_already_set();
  const unsigned long long number = PyLong_AsUnsignedLongLong(whole.ptr());
  if (number == static_cast<unsigned long long>(-1) && PyErr_Occurred() != nullptr) {
    PyErr_Clear();
    throw SettingsError(std::string(name) + " = " + ShortRepr(value) +
                        " is outside its range 0 .. 2**64 - 1");
  }
  return static_cast<std::uint64_t>(number);
}

std::string TextArgument(const char* name, py::handle value) {
  if (!PyUnicode_Check(value.ptr())) Refuse(name, "a str", value);
  return value.cast<std::string>();
}

int ThreadsArgument(py::handle threads) {
  constexpr long long kMaxThreads = 1024;
  if (threads.is_none()) {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
  }
  const long long count = WholeArgument("threads", threads);
  if (count < 1 || count > kMaxThreads) {
    throw SettingsError("threads = " + std::to_string(count) + " is outside its range 1 .. " +
                        std::to_string(kMaxThreads));
  }
  return static_cast<int>(count);
}

}  // namespace recmod::python
