#include "model/RuntimeError.hpp"

#include <cfenv>
#include <utility>

namespace recmod {

namespace {
std::string Compose(ErrorKind kind, const std::string& detail) {
  std::string text = ErrorName(kind);
  if (!detail.empty()) {
    text += ": ";
    text += detail;
  }
  return text;
}
}  // namespace

RuntimeError::RuntimeError(ErrorKind kind, const std::string& detail)
    : std::runtime_error(Compose(kind, detail)), kind_(kind), detail_(detail) {}

const char* ErrorName(ErrorKind kind) {
  constexpr std::pair<ErrorKind, const char*> kNames[] = {
      {ErrorKind::Overflow, "Overflow"},
      {ErrorKind::SubscriptOutOfRange, "Subscript out of range"},
      {ErrorKind::DivisionByZero, "Division by zero"},
      {ErrorKind::InvalidOperation, "Invalid floating-point operation"},
      {ErrorKind::FileError, "File error"},
      {ErrorKind::EmptyDeme, "Empty deme"}};
  for (const auto& [candidate, name] : kNames) {
    if (candidate == kind) return name;
  }
  return "Run-time error";
}

void ClearFloatingPointFlags() {
  std::feclearexcept(FE_ALL_EXCEPT);
}

void CheckFloatingPointFlags(const char* where) {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_DIVBYZERO) throw RuntimeError(ErrorKind::DivisionByZero, where);
  if (raised & FE_INVALID) throw RuntimeError(ErrorKind::InvalidOperation, where);
  throw RuntimeError(ErrorKind::Overflow, where);
}

}  // namespace recmod
