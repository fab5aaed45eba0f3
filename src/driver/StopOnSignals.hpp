#pragma once

#include <atomic>
#include <string>

namespace recmod {

// While it lives, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ ask the running
// start to stop after its current generation, so that the report files are
// closed with every complete line and the record says "stopped". A second
// signal ends the program at once. A SIGXFSZ that the system sends for a
// write beyond the file-size limit is no request: that write fails and the
// start ends with a file error. With a wake-up descriptor the handler also
// writes a byte there, for a front end that waits in an event loop. The
// previous handlers come back when it goes. Only one may live at a time.
class StopOnSignals {
 public:
  explicit StopOnSignals(std::atomic<bool>& stopRequested, int wakeUpDescriptor = -1);
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

  // The signal that asked for the stop, 0 while none has come.
  static int ReceivedSignal();
  // A start clears its stop request when it begins; a signal that came just
  // before that is asked for again here.
  void Reassert() const;

 private:
  std::atomic<bool>& stopRequested_;
};

// "SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", "SIGXFSZ", or "signal N".
std::string SignalName(int number);

}  // namespace recmod
