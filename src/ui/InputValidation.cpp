#include "ui/InputValidation.hpp"

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "output/ReportFiles.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/OptionInterplay.hpp"

namespace recmod {

namespace {

FieldRounding RoundingOf(int index) {
  const FieldEntry* entry = FindFieldByIndex(index);
  return entry == nullptr ? FieldRounding::None : entry->rounding;
}

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// The number format without the blank that stands before a positive number;
// a negative number keeps its "-".
std::string PlainText(double value) {
  std::string text = NumberText(value);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

// Tenths of 0 and 5 stay, every other tenth goes to the nearest whole number:
// 6.57 -> 6.5, 6.3 -> 6, 6.7 -> 7, 6.99 -> 7.
double RoundToHalfStep(double value) {
  // Beyond 1e15 every double is already whole (and ten times it might not be
  // finite), so there is nothing to round.
  if (std::fabs(value) >= 1e15) return value;
  const double tenths = std::floor(10.0 * value);
  const double lastDigit = std::fmod(std::fabs(tenths), 10.0);
  if (lastDigit == 0.0 || lastDigit == 5.0) return tenths / 10.0;
  return std::floor(tenths / 10.0 + 0.5);
}

double NumberIn(const Simulator& sim, int index) {
  return ParseDecimal(sim.controls.Text(index));
}

void WriteBound(std::string& text, float bound) {
  text = NumberTextSingle(bound);
  NormaliseNumberText(text);
}

// Rounds field i as its kind asks and forces it into its range. An empty field
// is left alone: there is nothing in it to round or to compare.
void ValidateField(Simulator& sim, int index) {
  std::string& text = sim.controls.Text(index);
  std::string trimmed = TrimBlanks(text);
  if (trimmed.empty()) return;

  text = NormaliseNumberText(trimmed);
  double value = ParseDecimal(text);
  if (RoundingOf(index) == FieldRounding::Whole) {
    value = std::floor(value);
    text = PlainText(value);
  } else if (RoundingOf(index) == FieldRounding::HalfStep) {
    value = RoundToHalfStep(value);
    std::string plain = PlainText(value);
    text = NormaliseNumberText(plain);
  }

  // The bounds are single precision; widened to double, 0.6 and 1E-10 lie
  // just above and 1.4 and 0.0001 just below the decimal numbers.
  const auto slot = static_cast<std::size_t>(index);
  const float minimum = sim.fields.FieldMinimum[slot];
  const float maximum = sim.fields.FieldMaximum[slot];
  if (value < static_cast<double>(minimum)) {
    WriteBound(text, minimum);
  } else if (value > static_cast<double>(maximum)) {
    WriteBound(text, maximum);
  }
}

// Total and D of the four haplotype frequencies, with the warning colour on a
// total other than 1.
void UpdateLinkageDisplays(Simulator& sim) {
  const double f13 = NumberIn(sim, 13);
  const double f14 = NumberIn(sim, 14);
  const double f15 = NumberIn(sim, 15);
  const double f16 = NumberIn(sim, 16);

  std::string& total = sim.controls.Text(22);
  total = NumberText(f13 + f14 + f15 + f16);
  NormaliseNumberText(total);
  // Read back from the text: sums that differ from 1 only beyond 15
  // significant digits count as 1.
  sim.controls.txt22Background = NumberIn(sim, 22) == 1.0 ? kInputBackground : kWarningBackground;

  sim.controls.Text(21) = NumberText(f13 * f16 - f15 * f14);
}

// A directory that exists, written with or without a trailing separator, is
// kept; anything else (no such directory, a file, an empty text) becomes "C:",
// the default save directory. Whether it can be written shows when a start
// opens the report files.
bool NamesExistingDirectory(const std::string& text) {
  if (text.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(SaveDirectoryPath(text), error);
}

}  // namespace

std::string NormaliseNumberText(std::string& text) {
  if (text.size() > 1) {
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos) text[comma] = '.';
    if (text.front() == '.') text.insert(0, 1, '0');
  }
  while (text.size() >= 2 && text[0] == '0' && text[1] == '0') text.erase(0, 1);
  return text;
}

void ValidateInputs(Simulator& sim) {
  ControlValues& controls = sim.controls;

  for (int index = 0; index <= kLastRangedField; ++index) ValidateField(sim, index);

  if (NumberIn(sim, 2) == -1.0) controls.Text(2) = NumberText(kLeastRunS);

  SetTick(sim, CheckBox::InterdemicDiffusion, NumberIn(sim, 10) > 1.0 ? 1 : 0);
  InterdemicDiffusion_Click(sim);

  if (controls.Ticked(CheckBox::LinkageDisequilibrium)) UpdateLinkageDisplays(sim);

  // The loop over Log10(N) runs from txt 18 up to txt 19.
  if (NumberIn(sim, 19) < NumberIn(sim, 18)) controls.Text(18) = controls.Text(19);

  if (!NamesExistingDirectory(controls.Text(30))) controls.Text(30) = "C:";

  controls.lab23Caption = controls.Text(17);

  sim.plot->Clear();
  sim.plot->SetPosition(0.0F, 0.0F);
  sim.plot->Refresh();
}

void txt_LostFocus(Simulator& sim, int index) {
  if (!IsTxtIndex(index)) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, "txt index " + std::to_string(index));
  }
  if (index >= 1 && index <= 19) NormaliseNumberText(sim.controls.Text(index));
  ValidateInputs(sim);
}

}  // namespace recmod
