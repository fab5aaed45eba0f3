#include "BatchControls.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "EscapedText.hpp"
#include "FieldTextCheck.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "output/ReportFiles.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::batch {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "(blank)";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A text as a notice shows it: a very long one is cut short.
std::string Shortened(const std::string& text) {
  constexpr std::size_t kShown = 60;
  if (text.size() <= kShown) return text;
  return text.substr(0, kShown) + "... (" + std::to_string(text.size()) + " characters)";
}

const char* TickText(int tick) {
  return tick != 0 ? "ticked" : "unticked";
}

// Whether a field's text now stands for another value than it did: not a
// blank, a point or a leading zero that the normalisation added.
bool ValueChanged(std::string was, std::string is) {
  if ((was == "(blank)") != (is == "(blank)")) return true;
  try {
    return ParseDecimal(NormaliseNumberText(was)) != ParseDecimal(NormaliseNumberText(is));
  } catch (const std::exception&) {
    return true;
  }
}

void CheckSweepBounds(const SweepRange& range, float minimum, float maximum,
                      const std::string& option, const char* variable) {
  // Compared in single precision, as the window compares a field with its
  // bounds.
  if (static_cast<float>(range.from) < minimum || static_cast<float>(range.to) > maximum) {
    throw UsageError(option + ": " + variable + " must stay within " + NumberTextSingle(minimum) +
                     " .." + NumberTextSingle(maximum));
  }
}

}  // namespace

void CheckSweepOfS(const Simulator& sim, const SweepRange& range, const std::string& option) {
  // The least S a run gets is -0.99.
  CheckSweepBounds(range, std::max(sim.fields.FieldMinimum[2], -0.99F), sim.fields.FieldMaximum[2],
                   option, "S");
}

void CheckSweepOfK(const Simulator& sim, const SweepRange& range, const std::string& option) {
  CheckSweepBounds(range, sim.fields.FieldMinimum[3], sim.fields.FieldMaximum[3], option, "K");
}

ControlSnapshot TakeSnapshot(const ControlValues& controls) {
  ControlSnapshot snapshot;
  snapshot.texts = controls.txt;
  snapshot.ticks = controls.tick;
  return snapshot;
}

std::vector<std::string> DescribeChanges(const ControlSnapshot& before, const ControlValues& now,
                                         bool valueChangesOnly) {
  std::vector<std::string> notices;
  for (const FieldEntry& entry : FieldCatalogue()) {
    if (!entry.input) continue;
    const auto slot = static_cast<std::size_t>(entry.index);
    const std::string was = Trimmed(before.texts[slot]);
    const std::string is = Trimmed(now.txt[slot]);
    // A blank put before or taken from a number changes nothing worth telling.
    if (was == is) continue;
    if (valueChangesOnly && entry.index != 30 && !ValueChanged(was, is)) continue;
    notices.push_back(std::string(entry.alias) + ": " + Shortened(was) + " -> " + Shortened(is));
  }
  for (const CheckBox box : kAllCheckBoxes) {
    const auto slot = static_cast<std::size_t>(box);
    if (before.ticks[slot] == now.tick[slot]) continue;
    notices.push_back(std::string(CheckBoxName(box)) + ": " + TickText(before.ticks[slot]) +
                      " -> " + TickText(now.tick[slot]));
  }
  return notices;
}

std::string WhyFieldDisabled(const Simulator& sim, int index) {
  if (const int option = RunOptionOfField(index); option >= 0) {
    return "in mode " + std::to_string(sim.controls.Option1Selected) + " (it " +
           (index >= 37 ? "shows the loop of" : "belongs to") + " mode " + std::to_string(option) +
           ")";
  }
  switch (index) {
    case 6:
      return "with 2 loci (give --loci 3)";
    case 11:
      return "while there is one deme (give --demes first)";
    case 12:
      return "while InversionOfS is unticked (give --tick InversionOfS)";
    case 13:
    case 14:
    case 15:
    case 16:
      return "while LinkageDisequilibrium is unticked (give --tick LinkageDisequilibrium)";
    case 21:
    case 22:
      return "always: it shows a value computed from fields 13..16";
    default:
      return "now";
  }
}

std::string WhyCheckBoxDisabled(const Simulator& sim, CheckBox box) {
  switch (box) {
    case CheckBox::SinusoidalOption:
      return "while InversionOfS is unticked (give --tick InversionOfS first)";
    case CheckBox::LinkageDisequilibrium:
      return "with " + sim.controls.AllelesNumberCaption + " loci";
    default:
      return "now";
  }
}

void ApplyRequest(Simulator& sim, const BatchRequest& request, std::vector<std::string>& notices) {
  Form_Load(sim);
  sim.threads = request.threads;
  // Only the loops and studies run on threads.
  if (!request.listFields && (request.mode >= 2 || request.IsStudy())) {
    PrepareThreads(sim.threads);
  }
  sim.firstPosition = request.firstPosition;
  // A sweep stays within what the window admits in the field of its variable.
  if (request.sRange) {
    CheckSweepOfS(sim, *request.sRange, "--s-range");
    sim.sSweep = *request.sRange;
  }
  if (request.kRange) {
    CheckSweepOfK(sim, *request.kRange, "--k-range");
    sim.kSweep = *request.kRange;
  }
  if (request.loci == 3) ToggleAllelesNumber_Click(sim);
  SetTick(sim, CheckBox::ExactSampling, request.exactSampling ? 1 : 0);

  sim.controls.Option1Selected = request.mode;
  Option1_GotFocus(sim, request.mode);

  for (const TickSetting& setting : request.ticks) {
    if (sim.controls.Ticked(setting.box) == setting.ticked) continue;
    if (!sim.controls.CheckEnabled(setting.box)) {
      throw UsageError(setting.option + ": the box is disabled " +
                       WhyCheckBoxDisabled(sim, setting.box));
    }
    CheckBox_Click(sim, setting.box);
  }

  for (const FieldTyping& typing : request.fields) {
    const auto slot = static_cast<std::size_t>(typing.index);
    if (!sim.controls.txtEnabled[slot]) {
      throw UsageError(typing.option + ": field " + std::to_string(typing.index) + " is disabled " +
                       WhyFieldDisabled(sim, typing.index));
    }
    ControlSnapshot before = TakeSnapshot(sim.controls);
    before.texts[slot] = typing.text;
    sim.controls.Text(typing.index) = WithinDoubleRange(typing.text);
    txt_LostFocus(sim, typing.index);
    for (std::string& notice : DescribeChanges(before, sim.controls, request.quiet)) {
      notices.push_back(std::move(notice));
    }
  }
}

void PrintFields(const ControlValues& controls) {
  for (int index = 0; index < ControlValues::kTxtSlots; ++index) {
    if (!IsTxtIndex(index)) continue;
    std::printf("%d\t%s\n", index, EscapedText(controls.Text(index)).c_str());
  }
  for (const CheckBox box : kAllCheckBoxes) {
    std::printf("%s\t%d\n", CheckBoxName(box), controls.Tick(box));
  }
}

std::string ReportDirectory(const std::string& saveDirectory) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path path = fs::absolute(SaveDirectoryPath(saveDirectory), ec).lexically_normal();
  std::string text = path.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace recmod::batch
