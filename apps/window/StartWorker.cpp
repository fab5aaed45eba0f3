#include "StartWorker.hpp"

#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <future>
#include <memory>

#include "driver/FinishedSweep.hpp"
#include "driver/RecordedStartClick.hpp"
#include "driver/ResultsTableWatch.hpp"
#include "output/ReportFiles.hpp"

namespace recmod {

StartWorker::StartWorker(Simulator& sim, QObject& window, ShowFunction show, EndFunction end)
    : sim_(sim), window_(window), show_(std::move(show)), end_(std::move(end)) {}

StartWorker::~StartWorker() {
  Abandon();
  sim_.stopRequested = true;
  Join();
}

void StartWorker::Begin() {
  lastMessage_.clear();
  thread_ = std::thread([this] { Run(); });
}

void StartWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void StartWorker::Run() {
  Outcome outcome;
  try {
    // A loop's picture box ends empty; its sweep is read back from the
    // report files it has just written, for the picture that the box's
    // context menu offers, with the results table of the start. No other
    // start may replace the files before they are read back.
    sim_.reports.HoldDirectories();
    const ResultsTableWatch watch(sim_);
    const StartOrigin origin{"window", {}, 1};
    const StartOutcome ended = StartClickWithRecord(sim_, origin, [this] { return lastMessage_; });
    if (ended == StartOutcome::Finished) {
      outcome.sweep = ReadFinishedSweep(sim_);
      outcome.table = watch.Text(sim_);
    }
  } catch (const std::exception& e) {
    outcome.error = e.what();
  }
  sim_.reports.ReleaseDirectories();
  QMetaObject::invokeMethod(
      &window_, [this, outcome = std::move(outcome)]() mutable { end_(std::move(outcome)); },
      Qt::QueuedConnection);
}

std::map<int, std::string> StartWorker::TakeChangedFields() {
  std::map<int, std::string> fields;
  std::lock_guard lock(fieldsMutex_);
  fields.swap(changedFields_);
  return fields;
}

void StartWorker::DropChangedFields() {
  std::lock_guard lock(fieldsMutex_);
  changedFields_.clear();
}

void StartWorker::ShowMessage(const std::string& text) {
  lastMessage_ = text;
  const QString message = QString::fromStdString(text);
  if (QThread::currentThread() == window_.thread()) {
    show_(message);
    return;
  }
  // From the worker: show it on the window's thread and wait for the OK.
  auto acknowledged = std::make_shared<std::promise<void>>();
  std::future<void> done = acknowledged->get_future();
  QMetaObject::invokeMethod(
      &window_,
      [this, message, acknowledged] {
        show_(message);
        acknowledged->set_value();
      },
      Qt::QueuedConnection);
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    if (abandoned_) return;
  }
}

// Called on the thread that wrote the field: its text is copied now and shown
// when the window next takes the changed fields.
void StartWorker::RefreshField(int index) {
  std::string text = sim_.controls.Text(index);
  std::lock_guard lock(fieldsMutex_);
  changedFields_[index] = std::move(text);
}

}  // namespace recmod
