#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "StartWorker.hpp"
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
// it has no model logic of its own. A start runs on its worker (StartWorker);
// the window takes no input meanwhile, apart from "Stop" (the start button)
// and "End".
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

  // A signal asked the program to end (WindowSignals): a running start stops
  // after its current generation and its record says so; then, or at once
  // when nothing runs, the event loop ends with `status`. No message box is
  // shown on the way: what a start reports goes to standard error.
  void EndWithStatus(int status);

 signals:
  // A start has ended (finished, refused, stopped or failed) and the window
  // takes input again.
  void startFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
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
  void OnStartFinished(StartWorker::Outcome outcome);
  void SetInputsLocked(bool locked);
  // Inputs enabled and the button reading "Start simulation", as between starts.
  void ShowIdleLook();

  void ShowMessageNow(const QString& text);

  Simulator sim_;
  // The start on its own thread; the simulator's front end.
  std::unique_ptr<StartWorker> worker_;

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
  // The status the program ends with once the start in progress has ended.
  std::optional<int> endStatus_;
  QTimer liveTimer_;
};

}  // namespace recmod
