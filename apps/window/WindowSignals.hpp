#pragma once

#include <QObject>
#include <atomic>

class QSocketNotifier;

namespace recmod {

// While it lives, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ ask the window
// to end as the batch program ends on them: a running start is asked to stop
// after its current generation (its record then says "stopped" and its report
// files keep every complete line), and `received` is emitted on the window's
// thread, where the program ends with 128 + the signal's number. A second
// signal ends the program at once. A SIGXFSZ that the system sends for a
// write beyond the file-size limit is no request: that write fails and the
// start ends with a file error. SIGPIPE is ignored, so that a closed pipe is
// a failed write, not the end of the window. The previous dispositions come
// back when it goes. Only one may live at a time.
class WindowSignals final : public QObject {
  Q_OBJECT

 public:
  explicit WindowSignals(std::atomic<bool>& stopRequested, QObject* parent = nullptr);
  ~WindowSignals() override;
  WindowSignals(const WindowSignals&) = delete;
  WindowSignals& operator=(const WindowSignals&) = delete;

  // The signal that asked the window to end, 0 while none has come.
  static int ReceivedSignal();

 signals:
  void received(int number);

 private:
  void OnWakeUp();

  QSocketNotifier* notifier_ = nullptr;
};

// "SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", "SIGXFSZ", or "signal N".
const char* WindowSignalName(int number);

}  // namespace recmod
