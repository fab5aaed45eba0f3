#include "BatchSignals.hpp"

#include <csignal>

namespace recmod::batch {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free,
              "the stop request is set from a signal handler");

volatile std::sig_atomic_t gReceivedSignal = 0;
std::atomic<bool>* gStopRequested = nullptr;
struct sigaction gPreviousInterrupt {};
struct sigaction gPreviousTerminate {};

extern "C" void OnStopSignal(int number) {
  if (gReceivedSignal != 0) {
    // Asked twice: do what the signal does by default, at once.
    std::signal(number, SIG_DFL);
    std::raise(number);
    return;
  }
  gReceivedSignal = number;
  if (gStopRequested != nullptr) gStopRequested->store(true);
}

}  // namespace

StopOnSignals::StopOnSignals(std::atomic<bool>& stopRequested) : stopRequested_(stopRequested) {
  gReceivedSignal = 0;
  gStopRequested = &stopRequested;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted writes are resumed; the report writer retries them anyway.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &gPreviousInterrupt);
  sigaction(SIGTERM, &action, &gPreviousTerminate);
}

StopOnSignals::~StopOnSignals() {
  sigaction(SIGINT, &gPreviousInterrupt, nullptr);
  sigaction(SIGTERM, &gPreviousTerminate, nullptr);
  gStopRequested = nullptr;
}

int StopOnSignals::ReceivedSignal() const {
  return gReceivedSignal;
}

void StopOnSignals::Reassert() const {
  if (gReceivedSignal != 0) stopRequested_.store(true);
}

std::string SignalName(int number) {
  switch (number) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "signal " + std::to_string(number);
  }
}

void StopForwardingFrontEnd::RefreshField(int index) {
  signals_.Reassert();
  inner_.RefreshField(index);
}

void StopForwardingFrontEnd::RunFinished(long long runsDone, long long runsTotal) {
  signals_.Reassert();
  inner_.RunFinished(runsDone, runsTotal);
}

}  // namespace recmod::batch
