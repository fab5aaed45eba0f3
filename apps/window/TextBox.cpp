#include "TextBox.hpp"

#include <QFocusEvent>

namespace recmod {

TextBox::TextBox(int index, QWidget* parent) : QLineEdit(parent), index_(index) {}

void TextBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  emit focusLost(index_, event->reason());
}

}  // namespace recmod
