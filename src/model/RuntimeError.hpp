#pragma once

#include <stdexcept>
#include <string>

namespace recmod {

// The run-time errors of the system. None is caught inside the engine: the
// event in progress ends, report files keep what was written, and the front
// end tells the user the message, which names the error.
enum class ErrorKind {
  Overflow,             // a 16-bit integer result outside -32768..32767, or a floating overflow
  SubscriptOutOfRange,  // an index outside the declared bounds of a table
  DivisionByZero,
  InvalidOperation,  // an invalid floating-point operation (0/0, square root of a negative, ...)
  FileError,         // a report file or the save directory could not be used
  EmptyDeme,         // a deme left with no positive frequency cannot be renormalised
};

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(ErrorKind kind, const std::string& detail);
  ErrorKind kind() const { return kind_; }
  // What the error concerns, without the name of the kind.
  const std::string& detail() const { return detail_; }

 private:
  ErrorKind kind_;
  std::string detail_;
};

// The short name of an error kind, as shown at the head of every message.
const char* ErrorName(ErrorKind kind);

// Raises the floating-point errors (overflow, division by zero, invalid
// operation) that arithmetic has flagged since the last ClearFloatingPointFlags,
// naming `where`.
void ClearFloatingPointFlags();
void CheckFloatingPointFlags(const char* where);

}  // namespace recmod
