#include "FieldTextCheck.hpp"

#include <filesystem>
#include <system_error>

#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "output/ReportFiles.hpp"
#include "ui/InputValidation.hpp"

namespace recmod::batch {

namespace {

constexpr int kLastNumericField = 20;
constexpr int kSaveDirectoryField = 30;

std::string WithoutBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string WithinDoubleRange(const std::string& text) {
  std::string normalised = WithoutBlanks(text);
  if (normalised.empty()) return text;
  NormaliseNumberText(normalised);
  try {
    ParseDecimal(normalised);
    return text;
  } catch (const RuntimeError&) {
    return normalised.front() == '-' ? "-1.7976931348623157E+308" : "1.7976931348623157E+308";
  }
}

void CheckFieldText(const FieldTyping& typing) {
  if (typing.index >= 0 && typing.index <= kLastNumericField) {
    std::string text = WithoutBlanks(typing.text);
    if (text.empty()) return;
    NormaliseNumberText(text);
    if (DecimalNumberEnd(text) != text.size()) {
      throw UsageError(typing.option + ": \"" + typing.text + "\" is not a number");
    }
  } else if (typing.index == kSaveDirectoryField) {
    std::error_code error;
    if (typing.text.empty() ||
        !std::filesystem::is_directory(SaveDirectoryPath(typing.text), error)) {
      throw UsageError(typing.option + ": \"" + typing.text + "\" names no existing directory");
    }
  }
}

}  // namespace recmod::batch
