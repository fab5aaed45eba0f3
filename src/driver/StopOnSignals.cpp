#include "driver/StopOnSignals.hpp"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace recmod {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free,
              "the stop request is set from a signal handler");

volatile std::sig_atomic_t gReceivedSignal = 0;
std::atomic<bool>* gStopRequested = nullptr;
volatile std::sig_atomic_t gWakeUpDescriptor = -1;
constexpr std::array<int, 5> kStopSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
std::array<struct sigaction, kStopSignals.size()> gPrevious{};

// The system sends SIGXFSZ to the writer itself, as from the process, when a
// write would pass the file-size limit; the write then fails with EFBIG.
bool IsFileSizeLimit(int number, const siginfo_t* info) {
  return number == SIGXFSZ && info != nullptr && info->si_code == SI_USER &&
         info->si_pid == ::getpid();
}

extern "C" void OnStopSignal(int number, siginfo_t* info, void* /*context*/) {
  if (IsFileSizeLimit(number, info)) return;
  if (gReceivedSignal != 0) {
    // Asked twice: do what the signal does by default, at once.
    std::signal(number, SIG_DFL);
    std::raise(number);
    return;
  }
  gReceivedSignal = number;
  if (gStopRequested != nullptr) gStopRequested->store(true);
  if (gWakeUpDescriptor >= 0) {
    const int savedErrno = errno;
    const char byte = 1;
    // Nothing to do if the pipe is full: a wake-up is pending anyway.
    [[maybe_unused]] const ssize_t written = ::write(gWakeUpDescriptor, &byte, 1);
    errno = savedErrno;
  }
}

}  // namespace

StopOnSignals::StopOnSignals(std::atomic<bool>& stopRequested, int wakeUpDescriptor)
    : stopRequested_(stopRequested) {
  gReceivedSignal = 0;
  gStopRequested = &stopRequested;
  gWakeUpDescriptor = wakeUpDescriptor;
  struct sigaction action {};
  action.sa_sigaction = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted writes are resumed; the report writer retries them anyway.
  action.sa_flags = SA_RESTART | SA_SIGINFO;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    sigaction(kStopSignals[i], &action, &gPrevious[i]);
  }
}

StopOnSignals::~StopOnSignals() {
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    sigaction(kStopSignals[i], &gPrevious[i], nullptr);
  }
  gStopRequested = nullptr;
  gWakeUpDescriptor = -1;
}

int StopOnSignals::ReceivedSignal() {
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
    case SIGHUP:
      return "SIGHUP";
    case SIGQUIT:
      return "SIGQUIT";
    case SIGXFSZ:
      return "SIGXFSZ";
    default:
      return "signal " + std::to_string(number);
  }
}

}  // namespace recmod
