#include "SettingsClass.hpp"

#include <string>

#include "SettingsDocstring.hpp"
#include "SettingsKeywords.hpp"
#include "StrictArguments.hpp"

namespace py = pybind11;

namespace recmod::python {

namespace {

constexpr const char* kExactSampling = "exact";
constexpr const char* kDrawSampling = "draw";

// Takes a keyword's Python value, refusing one of the wrong type.
void SetKeyword(ModuleSettings& s, const SettingsKeyword& keyword, py::handle value) {
  const std::string name(keyword.name);
  double& number = s.Of(*keyword.parameter);
  switch (keyword.type) {
    case KeywordType::Number:
      number = NumberArgument(name.c_str(), value);
      return;
    case KeywordType::Whole:
      number = static_cast<double>(WholeArgument(name.c_str(), value));
      return;
    case KeywordType::Switch:
      number = SwitchArgument(name.c_str(), value) ? 1.0 : 0.0;
      return;
    case KeywordType::SwitchOrNone: {
      const std::optional<bool> on = OptionalSwitchArgument(name.c_str(), value);
      s.runModeSetsDrift = !on.has_value();
      number = on.value_or(false) ? 1.0 : 0.0;
      return;
    }
    case KeywordType::Haplotypes: {
      const std::optional<std::array<double, 4>> frequencies =
          OptionalFourNumbersArgument(name.c_str(), value);
      number = frequencies ? 1.0 : 0.0;
      if (!frequencies) return;
      for (std::size_t i = 0; i < keyword.members.size(); ++i) {
        s.Of(*keyword.members[i]) = frequencies->at(i);
      }
      return;
    }
    case KeywordType::Sampling: {
      const std::string text = TextArgument(name.c_str(), value);
      if (text != kExactSampling && text != kDrawSampling) {
        throw SettingsError(name + " = \"" + text + "\" must be \"" + kDrawSampling + "\" or \"" +
                            kExactSampling + "\"");
      }
      number = text == kExactSampling ? 1.0 : 0.0;
      return;
    }
  }
}

py::object KeywordValue(const ModuleSettings& s, const SettingsKeyword& keyword) {
  const double number = s.Of(*keyword.parameter);
  switch (keyword.type) {
    case KeywordType::Number:
      return py::float_(number);
    case KeywordType::Whole:
      return py::int_(static_cast<long long>(number));
    case KeywordType::Switch:
      return py::bool_(number != 0.0);
    case KeywordType::SwitchOrNone:
      return s.runModeSetsDrift ? py::object(py::none()) : py::object(py::bool_(number != 0.0));
    case KeywordType::Haplotypes: {
      if (number == 0.0) return py::none();
      py::list frequencies;
      for (const ParameterInfo* member : keyword.members) frequencies.append(s.Of(*member));
      return frequencies;
    }
    case KeywordType::Sampling:
      return py::str(number != 0.0 ? kExactSampling : kDrawSampling);
  }
  return py::none();
}

// "Settings() got an unexpected keyword argument 'maxgen' (did you mean
// 'max_gen'?)", as Python words it; for a parameter that no keyword holds,
// where Python takes it.
[[noreturn]] void RefuseKeyword(const std::string& name) {
  std::string text = "Settings() got an unexpected keyword argument '" + name + "'";
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter != nullptr && KeywordOf(*parameter) == nullptr) {
    text += " (" + PythonNote(*parameter) + ")";
  } else if (const std::optional<std::string_view> nearest = NearestParameterName(name)) {
    if (const SettingsKeyword* keyword = KeywordOf(*FindParameter(*nearest))) {
      text += " (did you mean '" + std::string(keyword->name) + "'?)";
    }
  }
  throw py::type_error(text);
}

// The class's call as inspect writes it, with every keyword and its default.
py::object Signature() {
  const py::module_ inspect = py::module_::import("inspect");
  const py::object parameter = inspect.attr("Parameter");
  const py::dict defaults = AsDict(StartUpSettings());
  py::list parameters;
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    const py::str name(std::string(keyword.name));
    parameters.append(
        parameter(name, parameter.attr("KEYWORD_ONLY"), py::arg("default") = defaults[name]));
  }
  return inspect.attr("Signature")(parameters);
}

}  // namespace

ModuleSettings SettingsFromKeywords(const py::dict& arguments) {
  for (const auto item : arguments) {
    const std::string name = py::str(item.first).cast<std::string>();
    if (FindKeyword(name) == nullptr) RefuseKeyword(name);
  }
  ModuleSettings s = StartUpSettings();
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    const py::str name(std::string(keyword.name));
    if (arguments.contains(name)) SetKeyword(s, keyword, arguments[name]);
  }
  CheckSettings(s);
  return s;
}

py::dict AsDict(const ModuleSettings& s) {
  py::dict d;
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    d[py::str(std::string(keyword.name))] = KeywordValue(s, keyword);
  }
  return d;
}

void DefineSettings(py::module_& module) {
  const py::object signature = Signature();
  static const std::string doc =
      SettingsDocstring("Settings" + py::str(signature).cast<std::string>());
  py::class_<ModuleSettings> settings(module, "Settings", doc.c_str());
  settings.attr("__signature__") = signature;
  settings.def(py::init([](const py::args& positional, const py::kwargs& keywords) {
    if (!positional.empty()) {
      throw py::type_error("Settings() takes keyword arguments only, not " +
                           std::to_string(positional.size()) + " positional");
    }
    return SettingsFromKeywords(keywords);
  }));
  for (const SettingsKeyword& keyword : SettingsKeywords()) {
    // The property's doc is the table's description of the parameter.
    settings.def_property_readonly(
        std::string(keyword.name).c_str(),
        [&keyword](const ModuleSettings& s) { return KeywordValue(s, keyword); },
        std::string(keyword.parameter->description).c_str());
  }
  settings.def("as_dict", &AsDict, "The settings as a dict of keyword arguments.");
  settings.def(
      "replace",
      [](const ModuleSettings& s, const py::kwargs& changes) {
        py::dict arguments = AsDict(s);
        for (const auto item : changes) {
          if (!arguments.contains(item.first)) {
            throw SettingsError("no setting named " + py::str(item.first).cast<std::string>());
          }
          arguments[item.first] = item.second;
        }
        return SettingsFromKeywords(arguments);
      },
      "A copy with the named settings changed (and checked).");
  settings.def("__repr__", [](const ModuleSettings& s) {
    std::string text = "Settings(";
    bool first = true;
    for (const auto item : AsDict(s)) {
      if (!first) text += ", ";
      first = false;
      text +=
          py::str(item.first).cast<std::string>() + "=" + py::repr(item.second).cast<std::string>();
    }
    return text + ")";
  });
  // Settings equal nothing but Settings: another type gets NotImplemented, so
  // that Python answers False (or asks the other object).
  settings.def("__eq__", [](const ModuleSettings& x, const py::object& y) -> py::object {
    if (!py::isinstance<ModuleSettings>(y)) {
      return py::reinterpret_borrow<py::object>(Py_NotImplemented);
    }
    return py::bool_(AsDict(x).equal(AsDict(y.cast<const ModuleSettings&>())));
  });
  settings.def(py::pickle([](const ModuleSettings& s) { return AsDict(s); },
                          [](const py::dict& state) { return SettingsFromKeywords(state); }));
}

}  // namespace recmod::python
