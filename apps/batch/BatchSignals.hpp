#pragma once

#include <atomic>
#include <string>

#include "ui/Simulator.hpp"

namespace recmod::batch {

// While it lives, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ ask the running
// start to stop after its current generation, so that the report files are
// closed with every complete line. A second signal ends the program at once.
// A SIGXFSZ that the system sends for a write beyond the file-size limit is
// no request: that write fails and the start ends with a file error. The
// previous handlers come back when it goes. Only one may live at a time.
class StopOnSignals {
 public:
  explicit StopOnSignals(std::atomic<bool>& stopRequested);
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

  // The signal that asked for the stop, 0 while none has come.
  int ReceivedSignal() const;
  // A start clears its stop request when it begins; a signal that came just
  // before that is asked for again here.
  void Reassert() const;

 private:
  std::atomic<bool>& stopRequested_;
};

// "SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", "SIGXFSZ", or "signal N".
std::string SignalName(int number);

// Passes everything on to `inner`; every refresh and every finished run
// re-asserts a stop that a signal asked for, so the start cannot lose it.
class StopForwardingFrontEnd final : public FrontEnd {
 public:
  StopForwardingFrontEnd(FrontEnd& inner, const StopOnSignals& signals)
      : inner_(inner), signals_(signals) {}
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void RefreshField(int index) override;
  void RunFinished(long long runsDone, long long runsTotal) override;

 private:
  FrontEnd& inner_;
  const StopOnSignals& signals_;
};

}  // namespace recmod::batch
