#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "ui/Simulator.hpp"

class QCheckBox;
class QLabel;
class QPushButton;

namespace recmod {

class OptionButton;
class PictureBox;
class TextBox;

// The one window. It moves values between its widgets and the control-values
// record of the simulator and runs the toolkit-free handlers on the events;
// it has no model logic of its own. A start runs on a worker thread so that
// the window keeps repainting; the window takes no input meanwhile, apart
// from "Stop" (the start button) and "End".
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  using MessageFunction = std::function<void(const QString& text)>;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up sequence (Form_Load); the focus goes to txt 1.
  void Load();

  // Where modal messages go; by default a message box with one OK button.
  // Always called on the window's thread.
  void setMessageFunction(MessageFunction function);

  Simulator& simulator() { return sim_; }
  PictureBox* pictureBox() const { return pictBox_; }
  bool isRunning() const { return running_; }

  // The pixel size of the captions' font, chosen so that every caption fits.
  int captionPixelSize() const { return captionPixelSize_; }

 signals:
  // A start has ended (finished, refused, stopped or failed) and the window
  // takes input again.
  void startFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class WindowFrontEnd;
  friend class WindowFrontEnd;

  void CreateControls();
  void ApplyColoursAndFonts();
  void FitCaptionFonts();
  void ApplyKeyboardOrder();

  // Copies the whole record to the widgets without running any handler.
  void ShowControls();
  // Runs a handler of the logic, reports a run-time error, shows the record.
  void RunHandler(const std::function<void()>& handler);

  void OnTextFocusLost(int index, Qt::FocusReason reason);
  void OnOptionFocusReceived(int index, Qt::FocusReason reason);
  void OnOptionClicked(int index);
  void OnCheckBoxClicked(CheckBox box);
  void OnStartClicked();
  void OnToggleAllelesNumberClicked();

  void BeginStart();
  void RequestStop();
  void OnLiveTick();
  void OnStartFinished(const std::string& error);
  void SetInputsLocked(bool locked);
  // Inputs enabled and the button reading "Start simulation", as between starts.
  void ShowIdleLook();

  // Shows a message, from any thread; returns when it was acknowledged.
  void ShowMessage(const QString& text);
  void ShowMessageNow(const QString& text);

  Simulator sim_;
  std::unique_ptr<WindowFrontEnd> frontEnd_;

  std::map<int, TextBox*> txt_;
  std::map<int, QLabel*> labl_;
  std::map<int, QLabel*> lab_;
  std::array<QLabel*, 16> lab4_{};
  std::array<QCheckBox*, kCheckBoxCount> checkBoxes_{};
  std::array<OptionButton*, 4> options_{};
  QPushButton* start_ = nullptr;
  QPushButton* endProgram_ = nullptr;
  QPushButton* toggleAllelesNumber_ = nullptr;
  QLabel* allelesNumber_ = nullptr;
  PictureBox* pictBox_ = nullptr;
  int captionPixelSize_ = 0;

  MessageFunction messageFunction_;
  // Above zero while the window changes its own widgets: no handler runs.
  int syncDepth_ = 0;

  // The start in progress.
  bool running_ = false;
  bool stopPending_ = false;
  bool closePending_ = false;
  std::thread worker_;
  QTimer liveTimer_;
  std::atomic<bool> abandonMessages_{false};
  std::mutex fieldsMutex_;
  std::map<int, std::string> pendingFields_;  // guarded by fieldsMutex_
};

}  // namespace recmod
