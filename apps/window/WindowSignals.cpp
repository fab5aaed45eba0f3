#include "WindowSignals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace recmod {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free,
              "the stop request is set from a signal handler");

volatile std::sig_atomic_t gReceivedSignal = 0;
std::atomic<bool>* gStopRequested = nullptr;
// The handler writes a byte here; the window's thread wakes on the other end
// (a handler may do no more than that).
int gWakeUpPipe[2] = {-1, -1};
constexpr std::array<int, 5> kEndSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
std::array<struct sigaction, kEndSignals.size()> gPrevious{};
struct sigaction gPreviousPipe {};

// The system sends SIGXFSZ to the writer itself, as from the process, when a
// write would pass the file-size limit; the write then fails with EFBIG.
bool IsFileSizeLimit(int number, const siginfo_t* info) {
  return number == SIGXFSZ && info != nullptr && info->si_code == SI_USER &&
         info->si_pid == ::getpid();
}

extern "C" void OnEndSignal(int number, siginfo_t* info, void* /*context*/) {
  if (IsFileSizeLimit(number, info)) return;
  if (gReceivedSignal != 0) {
    // Asked twice: do what the signal does by default, at once.
    std::signal(number, SIG_DFL);
    std::raise(number);
    return;
  }
  gReceivedSignal = number;
  if (gStopRequested != nullptr) gStopRequested->store(true);
  const int savedErrno = errno;
  const char byte = 1;
  // Nothing to do if the pipe is full: a wake-up is pending anyway.
  [[maybe_unused]] const ssize_t written = ::write(gWakeUpPipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

WindowSignals::WindowSignals(std::atomic<bool>& stopRequested, QObject* parent) : QObject(parent) {
  if (::pipe2(gWakeUpPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("cannot create the pipe that hands signals to the window");
  }
  gReceivedSignal = 0;
  gStopRequested = &stopRequested;
  notifier_ = new QSocketNotifier(gWakeUpPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &WindowSignals::OnWakeUp);

  struct sigaction action {};
  action.sa_sigaction = OnEndSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted writes are resumed; the report writer retries them anyway.
  action.sa_flags = SA_RESTART | SA_SIGINFO;
  for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
    sigaction(kEndSignals[i], &action, &gPrevious[i]);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &gPreviousPipe);
}

WindowSignals::~WindowSignals() {
  for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
    sigaction(kEndSignals[i], &gPrevious[i], nullptr);
  }
  sigaction(SIGPIPE, &gPreviousPipe, nullptr);
  gStopRequested = nullptr;
  delete notifier_;
  notifier_ = nullptr;
  ::close(gWakeUpPipe[0]);
  ::close(gWakeUpPipe[1]);
  gWakeUpPipe[0] = gWakeUpPipe[1] = -1;
}

int WindowSignals::ReceivedSignal() {
  return gReceivedSignal;
}

void WindowSignals::OnWakeUp() {
  std::array<char, 16> bytes{};
  while (::read(gWakeUpPipe[0], bytes.data(), bytes.size()) > 0) {
  }
  if (gReceivedSignal != 0) emit received(gReceivedSignal);
}

const char* WindowSignalName(int number) {
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
      return "a signal";
  }
}

}  // namespace recmod
