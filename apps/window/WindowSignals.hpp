#pragma once

#include <QObject>
#include <atomic>
#include <csignal>
#include <memory>

#include "driver/StopOnSignals.hpp"

class QSocketNotifier;

namespace recmod {

// While it lives, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ ask the window
// to end as the batch program ends on them (StopOnSignals): a running start is
// asked to stop after its current generation (its record then says "stopped"
// and its report files keep every complete line), and `received` is emitted
// on the window's thread, where the program ends with 128 + the signal's
// number. SIGPIPE is ignored, so that a closed pipe is a failed write, not the
// end of the window. The previous dispositions come back when it goes. Only
// one may live at a time.
class WindowSignals final : public QObject {
  Q_OBJECT

 public:
  explicit WindowSignals(std::atomic<bool>& stopRequested, QObject* parent = nullptr);
  ~WindowSignals() override;
  WindowSignals(const WindowSignals&) = delete;
  WindowSignals& operator=(const WindowSignals&) = delete;

  // The signal that asked the window to end, 0 while none has come.
  static int ReceivedSignal() { return StopOnSignals::ReceivedSignal(); }

 signals:
  void received(int number);

 private:
  void OnWakeUp();

  // The handler writes a byte into the pipe; the window's thread wakes on the
  // other end (a handler may do no more than that).
  int wakeUpPipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  std::unique_ptr<StopOnSignals> stop_;
  struct sigaction previousPipe_ {};
};

}  // namespace recmod
