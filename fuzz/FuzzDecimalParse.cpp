// The decimal parse of typed field texts, on arbitrary bytes: a number or 0
// comes out, or an overflow error for a number too large; never a crash, a
// non-finite number or a silently wrapped integer. The number format and the
// parse agree: a number written and read back differs only by the rounding
// to 15 significant digits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"

using namespace recmod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  double value = 0.0;
  try {
    value = ParseDecimal(text);
  } catch (const RuntimeError& error) {
    FUZZ_REQUIRE(error.kind() == ErrorKind::Overflow, "%s", error.what());
    return 0;
  }
  FUZZ_REQUIRE(std::isfinite(value), "value %g", value);

  const std::string written = NumberText(value);
  const double readBack = ParseDecimal(written);
  FUZZ_REQUIRE(readBack == value || std::fabs(readBack - value) <= 1e-14 * std::fabs(value),
               "%.17g written as \"%s\" reads back as %.17g", value, written.c_str(), readBack);

  try {
    const std::int16_t whole = ParseInt16(text);
    FUZZ_REQUIRE(std::fabs(whole - value) <= 0.5, "%.17g rounded to %d", value, whole);
  } catch (const RuntimeError& error) {
    FUZZ_REQUIRE(error.kind() == ErrorKind::Overflow && std::fabs(value) >= 32767.5, "%.17g: %s",
                 value, error.what());
  }

  try {
    const float single = ParseSingle(text);
    FUZZ_REQUIRE(std::isfinite(single), "%.17g as single %g", value, static_cast<double>(single));
  } catch (const RuntimeError& error) {
    FUZZ_REQUIRE(error.kind() == ErrorKind::Overflow && std::fabs(value) > 3.4e38, "%.17g: %s",
                 value, error.what());
  }
  return 0;
}
