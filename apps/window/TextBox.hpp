#pragma once

#include <QLineEdit>

namespace recmod {

// A text field that tells when it lost the input focus, after it has handled
// the loss itself, and why.
class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  TextBox(int index, QWidget* parent = nullptr);
  int index() const { return index_; }

 signals:
  void focusLost(int index, Qt::FocusReason reason);

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int index_;
};

}  // namespace recmod
