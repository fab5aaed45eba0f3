#include "WindowLayout.hpp"

#include <array>

#include "ui/FieldCatalogue.hpp"

namespace recmod {

namespace {

using K = ControlKind;

// Positions and texts of the window's controls. A field's caption (labl, and
// the two check boxes that caption txt 11 and 12) comes from the field catalogue.
constexpr std::array kControls = std::to_array<ControlPlacement>({
    // Parameter fields and their captions, top left column.
    {K::Label, "labl", 0, nullptr, {150, 120, 3105, 255}},
    {K::TextBox, "txt", 0, "", {3480, 120, 800, 285}},
    {K::Label, "labl", 1, nullptr, {150, 480, 3105, 255}},
    {K::TextBox, "txt", 1, "", {3480, 480, 800, 285}},
    {K::Label, "labl", 2, nullptr, {150, 840, 3105, 255}},
    {K::TextBox, "txt", 2, "", {3480, 840, 800, 285}},
    {K::Label, "labl", 3, nullptr, {150, 1200, 3225, 255}},
    {K::TextBox, "txt", 3, "", {3480, 1200, 800, 285}},
    {K::Label, "labl", 4, nullptr, {150, 1560, 3105, 255}},
    {K::TextBox, "txt", 4, "", {3480, 1560, 800, 285}},
    {K::Label, "labl", 5, nullptr, {150, 1920, 3105, 255}},
    {K::TextBox, "txt", 5, "", {3480, 1920, 800, 285}},
    {K::Label, "labl", 6, nullptr, {120, 2280, 3105, 255}},
    {K::TextBox, "txt", 6, "", {3480, 2280, 800, 285}},
    {K::Label, "labl", 20, nullptr, {120, 2640, 3105, 255}},
    {K::TextBox, "txt", 20, "", {3480, 2640, 800, 285}},
    {K::Label, "labl", 7, nullptr, {150, 3000, 3345, 255}},
    {K::TextBox, "txt", 7, "", {3480, 3000, 800, 285}},
    {K::Label, "labl", 10, nullptr, {120, 3360, 2745, 255}},
    {K::TextBox, "txt", 10, "", {3480, 3360, 800, 285}},
    {K::Label, "labl", 17, nullptr, {120, 3720, 3105, 255}},
    {K::TextBox, "txt", 17, "", {3480, 3720, 800, 285}},
    {K::CheckBox, "InterdemicDiffusion", -1, nullptr, {120, 4080, 3255, 255}, 11},
    {K::TextBox, "txt", 11, "", {3480, 4080, 800, 285}},
    {K::CheckBox, "InversionOfS", -1, nullptr, {120, 4440, 3255, 195}, 12},
    {K::TextBox, "txt", 12, "", {3480, 4440, 800, 285}},
    {K::CheckBox, "SinusoidalOption", -1, "Sinusoidal variation of S", {120, 4740, 2775, 255}},
    {K::CheckBox, "TotalStochasticity", -1, "Total stochasticity", {120, 5100, 1815, 195}},
    {K::CheckBox, "RecombForR", -1, "Recombination for R+", {120, 5400, 2055, 255}},
    {K::CheckBox, "GeneticDrift", -1, "Genetic drift", {120, 5775, 1695, 255}},
    // Beyond the fixed layout: multinomial drift, in a free space under the
    // linkage-disequilibrium box.
    {K::CheckBox, "ExactSampling", -1, "Exact sampling", {4200, 5800, 2100, 255}},

    // Linkage-disequilibrium entry.
    {K::CheckBox,
     "LinkageDisequilibrium",
     -1,
     "Linkage disequilibrium (D)",
     {4200, 5400, 2175, 375}},
    {K::Label, "labl", 13, nullptr, {6360, 5190, 1200, 255}},
    {K::TextBox, "txt", 13, "", {7560, 5190, 800, 285}},
    {K::Label, "labl", 14, nullptr, {6360, 5700, 1200, 255}},
    {K::TextBox, "txt", 14, "", {7560, 5700, 800, 285}},
    {K::Label, "labl", 15, nullptr, {8520, 5190, 1200, 255}},
    {K::TextBox, "txt", 15, "", {9720, 5190, 800, 285}},
    {K::Label, "labl", 16, nullptr, {8520, 5700, 1200, 255}},
    {K::TextBox, "txt", 16, "", {9720, 5700, 800, 285}},
    {K::Label, "labl", 22, nullptr, {10680, 5190, 465, 255}},
    {K::TextBox, "txt", 22, "", {12240, 5190, 800, 285}},
    {K::Label, "labl", 21, nullptr, {10680, 5700, 1545, 255}},
    {K::TextBox, "txt", 21, "", {12240, 5700, 800, 285}},

    // Save directory, population size, iterations.
    {K::Label, "labl", 30, nullptr, {5280, 6240, 2145, 255}},
    {K::TextBox, "txt", 30, "", {7560, 6240, 2715, 285}},
    {K::Label, "labl", 9, nullptr, {5280, 6720, 2145, 255}},
    {K::TextBox, "txt", 9, "", {7560, 6720, 800, 285}},
    {K::Label, "labl", 8, nullptr, {5280, 7720, 2265, 255}},
    {K::TextBox, "txt", 8, "", {7560, 7720, 800, 285}},

    // Run options; txt 18 and 19 sit in the gaps of the caption of Option1 3.
    {K::OptionButton,
     "Option1",
     0,
     "Single simulation with N = infinite (image values in ReportFile1.txt)",
     {120, 6160, 4935, 375}},
    {K::OptionButton,
     "Option1",
     1,
     "Single simulation with N finite (image values in Reportfile1.txt)",
     {120, 6665, 4935, 375}},
    {K::OptionButton,
     "Option1",
     2,
     "Loop with N infinite, S=.01 to .2 step .01, K=0.8 to 1.2 step .01 (values in "
     "ReportFile2.txt)",
     {120, 7170, 4815, 375}},
    {K::OptionButton, "Option1", 3, kLoopLog10NCaption, {120, 7680, 4935, 375}},
    {K::TextBox, "txt", 18, "", {2040, 7720, 800, 285}},
    {K::TextBox, "txt", 19, "", {3360, 7720, 800, 285}},
    // labl 18 is the note under the loop option, not a caption of txt 18.
    {K::Label,
     "labl",
     18,
     "(values in ReportFile2.txt and ReportFile3.txt)",
     {360, 8040, 3345, 255}},

    // Output fields of the loop modes.
    {K::Label, "labl", 37, nullptr, {8520, 7170, 855, 285}},
    {K::TextBox, "txt", 37, "", {9525, 7170, 675, 285}},
    {K::Label, "labl", 38, nullptr, {10350, 7170, 855, 285}},
    {K::TextBox, "txt", 38, "", {11355, 7170, 675, 285}},
    {K::Label, "labl", 39, nullptr, {8520, 7720, 855, 285}},
    {K::TextBox, "txt", 39, "", {9525, 7720, 675, 285}},
    {K::Label, "labl", 40, nullptr, {10350, 7720, 855, 285}},
    {K::TextBox, "txt", 40, "", {11355, 7720, 675, 285}},

    // Buttons and the number of loci.
    {K::Button, "Start", -1, "Start simulation", {11040, 6120, 1695, 495}},
    {K::Button, "EndProgram", 0, "End", {12840, 6120, 975, 495}},
    {K::Button, "ToggleAllelesNumber", -1, "Alleles number (2/3)", {11040, 6720, 2295, 285}},
    {K::Label, "AllelesNumber", -1, "2", {13440, 6720, 405, 285}},

    // The plot and its frame.
    {K::PictureBox, "PictBox", -1, "", {5040, 240, 9165, 4515}},
    {K::Label, "lab", 4, "1", {4800, 240, 135, 255}},
    {K::Label, "lab", 2, "0", {4800, 4560, 135, 255}},
    {K::Label, "lab", 20, "   F r e q u e n c i e s", {4440, 1016, 135, 3015}},
    {K::Label, "lab", 21, "0", {4980, 4800, 135, 255}},
    {K::Label, "lab", 22, "Generations", {8520, 4800, 2175, 255}},
    {K::Label, "lab", 23, "", {13920, 4800, 495, 255}},
    {K::Label, "lab", 0, "Asex", {4450, 632, 500, 255}},
    {K::Label, "lab", 1, "Sex", {4450, 4160, 500, 255}},
    {K::Label, "lab", 3, "AB'", {4600, 1024, 350, 255}},
    {K::Label, "lab", 5, "aB'", {4600, 1394, 350, 255}},
    {K::Label, "lab", 6, "Ab'", {4600, 1764, 350, 255}},
    {K::Label, "lab", 7, "ab'", {4600, 2134, 350, 255}},
    {K::Label, "lab", 8, "AB", {4600, 2592, 350, 255}},
    {K::Label, "lab", 9, "aB", {4600, 2984, 350, 255}},
    {K::Label, "lab", 10, "Ab", {4600, 3376, 350, 255}},
    {K::Label, "lab", 11, "ab", {4600, 3768, 350, 255}},
    {K::Label, "Lab4", 0, "ABC'", {4600, 1000, 375, 195}},
    {K::Label, "Lab4", 1, "AbC'", {4600, 1193, 375, 195}},
    {K::Label, "Lab4", 2, "aBC'", {4600, 1386, 375, 195}},
    {K::Label, "Lab4", 3, "ABc'", {4600, 1579, 375, 195}},
    {K::Label, "Lab4", 4, "abC'", {4600, 1772, 375, 195}},
    {K::Label, "Lab4", 5, "aBc'", {4600, 1965, 375, 195}},
    {K::Label, "Lab4", 6, "Abc'", {4600, 2158, 375, 195}},
    {K::Label, "Lab4", 7, "abc'", {4600, 2350, 375, 195}},
    {K::Label, "Lab4", 8, "ABC", {4600, 2520, 375, 195}},
    {K::Label, "Lab4", 9, "AbC", {4600, 2715, 375, 195}},
    {K::Label, "Lab4", 10, "aBC", {4600, 2910, 375, 195}},
    {K::Label, "Lab4", 11, "ABc", {4600, 3105, 375, 195}},
    {K::Label, "Lab4", 12, "abC", {4600, 3285, 375, 195}},
    {K::Label, "Lab4", 13, "aBc", {4600, 3480, 375, 195}},
    {K::Label, "Lab4", 14, "Abc", {4600, 3675, 375, 195}},
    {K::Label, "Lab4", 15, "abc", {4600, 3870, 375, 195}},
});

constexpr std::array kKeyboardOrder = std::to_array<const char*>({
    "txt_1",         "txt_2",
    "txt_3",         "txt_4",
    "txt_5",         "txt_17",
    "EndProgram_0",  "Start",
    "txt_37",        "txt_7",
    "txt_8",         "txt_30",
    "txt_38",        "txt_39",
    "txt_40",        "txt_9",
    "Option1_0",     "Option1_1",
    "Option1_2",     "Option1_3",
    "txt_10",        "TotalStochasticity",
    "GeneticDrift",  "InterdemicDiffusion",
    "InversionOfS",  "txt_11",
    "txt_12",        "LinkageDisequilibrium",
    "txt_13",        "txt_14",
    "txt_15",        "txt_16",
    "txt_22",        "txt_21",
    "txt_6",         "SinusoidalOption",
    "txt_0",         "ToggleAllelesNumber",
    "txt_18",        "txt_19",
    "RecombForR",    "txt_20",
    "ExactSampling",
});

}  // namespace

QRect TwipRect::pixels() const {
  const auto px = [](int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; };
  const int x = px(left);
  const int y = px(top);
  return {x, y, px(left + width) - x, px(top + height) - y};
}

std::span<const ControlPlacement> WindowControls() {
  return kControls;
}

QString ControlObjectName(const char* name, int index) {
  QString objectName = QString::fromLatin1(name);
  if (index >= 0) objectName += QLatin1Char('_') + QString::number(index);
  return objectName;
}

QString ControlText(const ControlPlacement& control) {
  if (control.text != nullptr) return QString::fromLatin1(control.text);
  const int field = control.captionField >= 0 ? control.captionField : control.index;
  const FieldEntry* entry = FindFieldByIndex(field);
  return entry != nullptr ? QString::fromLatin1(entry->caption) : QString();
}

QString ControlObjectName(const ControlPlacement& control) {
  return ControlObjectName(control.name, control.index);
}

std::span<const char* const> KeyboardOrder() {
  return kKeyboardOrder;
}

}  // namespace recmod
