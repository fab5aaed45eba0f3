#pragma once

#include <QRect>
#include <QString>
#include <span>

namespace recmod {

// A rectangle in twips (15 to a pixel at 100 % scale), as Left, Top, Width,
// Height from the top-left corner of the client area.
struct TwipRect {
  int left;
  int top;
  int width;
  int height;
  QRect pixels() const;
};

inline constexpr int kTwipsPerPixel = 15;
// The client area: 14415 x 8385 twips.
inline constexpr TwipRect kClientArea{0, 0, 14415, 8385};

enum class ControlKind { TextBox, Label, CheckBox, OptionButton, Button, PictureBox };

// One control of the window. Controls of an array share a name and differ by
// index; single controls have index -1.
struct ControlPlacement {
  ControlKind kind;
  const char* name;
  int index;
  const char* text;  // nullptr: the caption of its field in the catalogue
  TwipRect rect;
  // The field this control captions when it is not a labl of its own index.
  int captionField = -1;
};

// The text a control shows.
QString ControlText(const ControlPlacement& control);

// Every control of the window, in no particular order.
std::span<const ControlPlacement> WindowControls();

// "txt_3" for an array control, "Start" for a single one.
QString ControlObjectName(const char* name, int index);
QString ControlObjectName(const ControlPlacement& control);

// The names of the focusable controls in keyboard order; the four option
// buttons stand together where the group takes the focus.
std::span<const char* const> KeyboardOrder();

// The caption of Option1 3 is split around txt 18 and 19: the words before,
// between and after the two fields.
inline constexpr const char* kLoopLog10NCaption =
    "Loop with Log10(N)=                        to                           step .5";

}  // namespace recmod
