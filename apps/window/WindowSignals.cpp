#include "WindowSignals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <stdexcept>

namespace recmod {

WindowSignals::WindowSignals(std::atomic<bool>& stopRequested, QObject* parent) : QObject(parent) {
  if (::pipe2(wakeUpPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("cannot create the pipe that hands signals to the window");
  }
  notifier_ = new QSocketNotifier(wakeUpPipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &WindowSignals::OnWakeUp);
  stop_ = std::make_unique<StopOnSignals>(stopRequested, wakeUpPipe_[1]);

  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previousPipe_);
}

WindowSignals::~WindowSignals() {
  stop_.reset();
  sigaction(SIGPIPE, &previousPipe_, nullptr);
  delete notifier_;
  notifier_ = nullptr;
  ::close(wakeUpPipe_[0]);
  ::close(wakeUpPipe_[1]);
}

void WindowSignals::OnWakeUp() {
  std::array<char, 16> bytes{};
  while (::read(wakeUpPipe_[0], bytes.data(), bytes.size()) > 0) {
  }
  if (const int number = ReceivedSignal(); number != 0) emit received(number);
}

}  // namespace recmod
