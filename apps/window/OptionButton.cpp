#include "OptionButton.hpp"

#include <QFocusEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace recmod {

OptionButton::OptionButton(int index, const QString& text, QWidget* parent)
    : QRadioButton(text, parent), index_(index) {}

void OptionButton::focusInEvent(QFocusEvent* event) {
  QRadioButton::focusInEvent(event);
  emit focusReceived(index_, event->reason());
}

QRect OptionButton::captionRect() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
}

bool OptionButton::captionFits() const {
  const QFontMetrics metrics(font());
  if (!pieces_.empty()) {
    for (const CaptionPiece& piece : pieces_) {
      if (metrics.horizontalAdvance(piece.text) > piece.width) return false;
      if (metrics.height() > height()) return false;
    }
    return true;
  }
  const QRect area = captionRect();
  const QRect needed = metrics.boundingRect(area, kWrapFlags, text());
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void OptionButton::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  // The indicator (and its focus frame) without the caption.
  painter.drawControl(QStyle::CE_RadioButton, option);

  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  if (pieces_.empty()) {
    painter.drawText(captionRect(), kWrapFlags, text());
  } else {
    for (const CaptionPiece& piece : pieces_) {
      painter.drawText(QRect(piece.left, 0, piece.width, height()),
                       Qt::AlignLeft | Qt::AlignVCenter, piece.text);
    }
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = captionRect();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

// The whole button takes clicks, not only the indicator and one line of text.
bool OptionButton::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

}  // namespace recmod
