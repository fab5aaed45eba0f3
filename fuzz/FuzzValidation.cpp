// The whole validation pass with arbitrary texts in every field: the window
// after start-up, a number of loci, a run option and some check-box clicks
// from the input, then every field typed and some left, then a pass. A
// run-time error (a number too large for a double) is an allowed outcome;
// otherwise every ranged field ends within its bounds, whole and half-step
// fields hold whole and half numbers, the loop ends are in order, the
// diffusion box shows whether there are several demes, and a second pass
// changes no number.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/Simulator.hpp"
#include "ui/WindowLogic.hpp"

using namespace recmod;

namespace {

constexpr int kRangedFields = 21;

std::array<double, kRangedFields> Numbers(const Simulator& sim) {
  std::array<double, kRangedFields> numbers{};
  for (int i = 0; i < kRangedFields; ++i)
    numbers[static_cast<std::size_t>(i)] = ParseDecimal(sim.controls.Text(i));
  return numbers;
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

void CheckValidated(const Simulator& sim) {
  for (int i = 0; i < kRangedFields; ++i) {
    const std::string& text = sim.controls.Text(i);
    if (IsBlank(text)) continue;
    const double value = ParseDecimal(text);
    const auto slot = static_cast<std::size_t>(i);
    const float asSingle = static_cast<float>(value);
    FUZZ_REQUIRE(
        asSingle >= sim.fields.FieldMinimum[slot] && asSingle <= sim.fields.FieldMaximum[slot],
        "txt %d = \"%s\" is out of range", i, text.c_str());
    if (i == 8 || i == 10 || i == 12 || i == 17) {
      FUZZ_REQUIRE(value == std::floor(value), "txt %d = \"%s\" is not whole", i, text.c_str());
    }
    if (i == 9 || i == 18 || i == 19) {
      FUZZ_REQUIRE(2.0 * value == std::floor(2.0 * value), "txt %d = \"%s\" is no half step", i,
                   text.c_str());
    }
  }
  FUZZ_REQUIRE(ParseDecimal(sim.controls.Text(18)) <= ParseDecimal(sim.controls.Text(19)),
               "loop from \"%s\" to \"%s\"", sim.controls.Text(18).c_str(),
               sim.controls.Text(19).c_str());
  FUZZ_REQUIRE(sim.controls.Ticked(CheckBox::InterdemicDiffusion) ==
                   (ParseDecimal(sim.controls.Text(10)) > 1.0),
               "demes \"%s\" with the diffusion box %d", sim.controls.Text(10).c_str(),
               sim.controls.Tick(CheckBox::InterdemicDiffusion));
  FUZZ_REQUIRE(sim.controls.lab23Caption == sim.controls.Text(17), "last generation caption");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Simulator sim;
  try {
    Form_Load(sim);
    if (input.ConsumeBool()) ToggleAllelesNumber_Click(sim);
    const int option = input.ConsumeIntegralInRange(0, 3);
    sim.controls.Option1Selected = option;
    Option1_GotFocus(sim, option);
    const int clicks = input.ConsumeIntegralInRange(0, 4);
    for (int c = 0; c < clicks; ++c) {
      const auto box =
          kAllCheckBoxes[input.ConsumeIntegralInRange<std::size_t>(0, kAllCheckBoxes.size() - 1)];
      if (sim.controls.CheckEnabled(box)) CheckBox_Click(sim, box);
    }

    // Every field gets a text; some of them are left as a user leaves them.
    for (const FieldEntry& entry : FieldCatalogue()) {
      sim.controls.Text(entry.index) = input.ConsumeRandomLengthString(40);
    }
    const int leaves = input.ConsumeIntegralInRange(0, 6);
    for (int l = 0; l < leaves; ++l) {
      const auto& catalogue = FieldCatalogue();
      const FieldEntry& entry =
          catalogue[input.ConsumeIntegralInRange<std::size_t>(0, catalogue.size() - 1)];
      txt_LostFocus(sim, entry.index);
    }
    ValidateInputs(sim);
    CheckValidated(sim);

    const auto first = Numbers(sim);
    const auto ticks = sim.controls.tick;
    ValidateInputs(sim);
    const auto second = Numbers(sim);
    for (int i = 0; i < kRangedFields; ++i) {
      const auto slot = static_cast<std::size_t>(i);
      FUZZ_REQUIRE(first[slot] == second[slot], "txt %d went from %.17g to %.17g", i, first[slot],
                   second[slot]);
    }
    FUZZ_REQUIRE(ticks == sim.controls.tick, "a second pass changed a check box");
  } catch (const RuntimeError&) {
    // A number too large for a double is a run-time error of the window.
  }
  return 0;
}
