#include "WindowTestSupport.hpp"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace recmod::test {

OpenWindow::OpenWindow() : window_(std::make_unique<MainWindow>()) {
  window_->setMessageFunction([this](const QString& text) { messages_ << text; });
  window_->Load();
  window_->show();
  window_->activateWindow();
  if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the window did not become active");
  QApplication::processEvents();
}

OpenWindow::~OpenWindow() = default;

template <class T>
static T* Find(const MainWindow& window, const QString& name) {
  T* widget = window.findChild<T*>(name);
  if (widget == nullptr) qFatal("no control named %s", qPrintable(name));
  return widget;
}

TextBox* OpenWindow::txt(int index) const {
  return Find<TextBox>(*window_, QStringLiteral("txt_%1").arg(index));
}
QLabel* OpenWindow::labl(int index) const {
  return Find<QLabel>(*window_, QStringLiteral("labl_%1").arg(index));
}
QLabel* OpenWindow::lab(int index) const {
  return Find<QLabel>(*window_, QStringLiteral("lab_%1").arg(index));
}
QLabel* OpenWindow::lab4(int index) const {
  return Find<QLabel>(*window_, QStringLiteral("Lab4_%1").arg(index));
}
QCheckBox* OpenWindow::checkBox(const char* name) const {
  return Find<QCheckBox>(*window_, QString::fromLatin1(name));
}
OptionButton* OpenWindow::option(int index) const {
  return Find<OptionButton>(*window_, QStringLiteral("Option1_%1").arg(index));
}
QPushButton* OpenWindow::button(const char* objectName) const {
  return Find<QPushButton>(*window_, QString::fromLatin1(objectName));
}
QLabel* OpenWindow::allelesNumber() const {
  return Find<QLabel>(*window_, QStringLiteral("AllelesNumber"));
}
PictureBox* OpenWindow::pictBox() const {
  return window_->pictureBox();
}

void OpenWindow::click(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
  QApplication::processEvents();
}

void OpenWindow::typeInto(int index, const QString& text) {
  TextBox* box = txt(index);
  click(box);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
  QApplication::processEvents();
}

void OpenWindow::pressTab() {
  QWidget* focused = QApplication::focusWidget();
  QTest::keyClick(focused != nullptr ? focused : window_.get(), Qt::Key_Tab);
  QApplication::processEvents();
}

bool OpenWindow::startAndWait(int timeoutMs) {
  QSignalSpy finished(window_.get(), &MainWindow::startFinished);
  click(button("Start"));
  if (!window_->isRunning() && finished.count() > 0) return true;
  return finished.wait(timeoutMs);
}

}  // namespace recmod::test
