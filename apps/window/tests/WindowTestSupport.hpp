#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <memory>

#include "MainWindow.hpp"
#include "OptionButton.hpp"
#include "PictureBox.hpp"
#include "TextBox.hpp"

namespace recmod::test {

// A window as the program opens it (Form_Load, shown, active, focus in
// txt 1), with its messages collected instead of shown, and helpers that act
// on it as a user does: clicks, typing, Tab.
class OpenWindow {
 public:
  OpenWindow();
  ~OpenWindow();

  MainWindow& window() { return *window_; }
  Simulator& sim() { return window_->simulator(); }
  const QStringList& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }

  TextBox* txt(int index) const;
  QLabel* labl(int index) const;
  QLabel* lab(int index) const;
  QLabel* lab4(int index) const;
  QCheckBox* checkBox(const char* name) const;
  OptionButton* option(int index) const;
  QPushButton* button(const char* objectName) const;
  QLabel* allelesNumber() const;
  PictureBox* pictBox() const;

  // A mouse click in the middle of a widget, then the events it causes.
  void click(QWidget* widget);
  // Clicks into the field, selects its text and types `text` over it.
  void typeInto(int index, const QString& text);
  // Presses Tab in the widget that has the focus.
  void pressTab();
  // Clicks "Start simulation" and waits until the start has ended.
  bool startAndWait(int timeoutMs = 60000);

 private:
  std::unique_ptr<MainWindow> window_;
  QStringList messages_;
};

}  // namespace recmod::test
