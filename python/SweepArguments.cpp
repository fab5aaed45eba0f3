#include "SweepArguments.hpp"

#include <pybind11/numpy.h>

#include <string>
#include <vector>

#include "ModuleStudies.hpp"
#include "StrictArguments.hpp"

namespace py = pybind11;

namespace recmod::python {

namespace {

// The values of an axis: a one-dimensional NumPy array of numbers or any
// iterable of numbers (NumPy scalars included), never a text or a bool.
std::vector<double> AxisValues(const std::string& name, py::handle values) {
  const std::string label = "axes['" + name + "']";
  const py::module_ numpy = py::module_::import("numpy");
  if (py::isinstance(values, numpy.attr("ndarray"))) {
    const auto array = py::reinterpret_borrow<py::array>(values);
    const char kind = array.dtype().kind();
    if (kind != 'i' && kind != 'u' && kind != 'f') {
      throw py::type_error(label + " must hold numbers, not an array of " +
                           py::str(array.dtype()).cast<std::string>());
    }
    if (array.ndim() != 1) {
      throw SettingsError(label + " must be one-dimensional, not of shape " +
                          py::str(values.attr("shape")).cast<std::string>());
    }
    const auto doubles = numpy.attr("ascontiguousarray")(values, "float64")
                             .cast<py::array_t<double, py::array::c_style>>();
    return {doubles.data(), doubles.data() + doubles.size()};
  }
  if (PyUnicode_Check(values.ptr()) || PyBytes_Check(values.ptr()) ||
      !py::isinstance<py::iterable>(values)) {
    throw py::type_error(label + " must be an iterable of numbers, not " +
                         py::str(py::type::handle_of(values).attr("__name__")).cast<std::string>());
  }
  const py::object numpyFloat = numpy.attr("floating");
  std::vector<double> numbers;
  for (const py::handle value : values) {
    numbers.push_back(py::isinstance(value, numpyFloat) ? value.cast<double>()
                                                        : NumberArgument(label.c_str(), value));
  }
  return numbers;
}

std::vector<NamedAxis> AxesArgument(py::handle axes) {
  if (!PyDict_Check(axes.ptr())) {
    throw py::type_error("axes must be a dict of parameter name to values, not " +
                         py::str(py::type::handle_of(axes).attr("__name__")).cast<std::string>());
  }
  std::vector<NamedAxis> named;
  for (const auto item : py::reinterpret_borrow<py::dict>(axes)) {
    if (!PyUnicode_Check(item.first.ptr())) {
      throw py::type_error("axes: a parameter name must be a str, not " +
                           py::str(py::repr(item.first)).cast<std::string>());
    }
    const std::string name = item.first.cast<std::string>();
    named.push_back(NamedAxis{name, AxisValues(name, item.second)});
  }
  return named;
}

bool PopulationArgument(py::handle population) {
  const std::string text = TextArgument("population", population);
  if (text != kInfinite && text != kFinite) {
    throw SettingsError("population = \"" + text + "\" must be \"" + kInfinite + "\" or \"" +
                        kFinite + "\"");
  }
  return text == kFinite;
}

// None takes the settings' sampling.
bool SamplingArgument(py::handle sampling, const ModuleSettings& settings, bool finite) {
  if (sampling.is_none()) return finite && settings.Value("exact_sampling") != 0.0;
  const std::string text = TextArgument("sampling", sampling);
  if (text != kDraw && text != kExact) {
    throw SettingsError("sampling = \"" + text + "\" must be \"" + kDraw + "\" or \"" + kExact +
                        "\"");
  }
  return text == kExact;
}

}  // namespace

Study StudyOfArguments(const ModuleSettings& settings, const py::object& axes,
                       const py::object& replicates, const py::object& population,
                       const py::object& sampling, const py::object& seed, bool force) {
  StudyRequest request;
  request.axes = AxesArgument(axes);
  request.replicates = WholeArgument("replicates", replicates);
  request.finitePopulation = PopulationArgument(population);
  request.exactSampling = SamplingArgument(sampling, settings, request.finitePopulation);
  request.seed = SeedArgument("seed", seed);
  if (request.seed && !request.finitePopulation) {
    throw SettingsError(
        std::string("a seed needs population=\"finite\": an infinite population "
                    "draws no random numbers"));
  }
  request.force = force;
  return StudyOf(settings, request);
}

}  // namespace recmod::python
