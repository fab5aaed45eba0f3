// NormaliseNumberText on arbitrary texts: the argument is rewritten to the
// result, a text of one character is left alone, the result never starts
// with "00", at most one character is added, and without a comma the number
// the text reads as does not change.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "ui/InputValidation.hpp"

using namespace recmod;

namespace {

// The number a text reads as, or a marker for "too large".
std::string Reading(const std::string& text) {
  try {
    return std::to_string(ParseDecimal(text));
  } catch (const RuntimeError&) {
    return "overflow";
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string typed(reinterpret_cast<const char*>(data), size);
  std::string text = typed;
  const std::string result = NormaliseNumberText(text);

  FUZZ_REQUIRE(result == text, "result \"%s\", argument \"%s\"", result.c_str(), text.c_str());
  if (typed.size() <= 1) FUZZ_REQUIRE(result == typed, "\"%s\" changed", typed.c_str());
  FUZZ_REQUIRE(result.size() <= typed.size() + 1, "\"%s\" grew", typed.c_str());
  FUZZ_REQUIRE(result.rfind("00", 0) != 0, "\"%s\" starts with 00", result.c_str());
  if (typed.find(',') == std::string::npos) {
    FUZZ_REQUIRE(Reading(typed) == Reading(result), "\"%s\" reads %s, \"%s\" reads %s",
                 typed.c_str(), Reading(typed).c_str(), result.c_str(), Reading(result).c_str());
  }
  return 0;
}
