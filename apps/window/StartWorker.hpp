#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "output/sweep/SweepReports.hpp"
#include "ui/Simulator.hpp"

namespace recmod {

// A start of the window on a thread of its own, so that the window keeps
// repainting, and what crosses between that thread and the window's: the
// messages the start shows (it waits for their OK), the output fields it
// changes, and its end. It is the simulator's front end.
class StartWorker final : public FrontEnd {
 public:
  // How a start ended, with what the picture box offers afterwards.
  struct Outcome {
    std::string error;                  // a run-time error, or empty
    std::optional<SweepPicture> sweep;  // the sweep a finished loop wrote
    std::optional<std::string> table;   // the results table of a finished start
  };
  // Shows a message on the window's thread and returns after its OK.
  using ShowFunction = std::function<void(const QString& text)>;
  // Takes the outcome on the window's thread.
  using EndFunction = std::function<void(Outcome outcome)>;

  // `window` is the object on whose thread `show` and `end` run.
  StartWorker(Simulator& sim, QObject& window, ShowFunction show, EndFunction end);
  ~StartWorker() override;
  StartWorker(const StartWorker&) = delete;
  StartWorker& operator=(const StartWorker&) = delete;

  // Window's thread: starts "Start simulation" on the worker thread, with a
  // record of the start.
  void Begin();
  // Waits for the worker thread to end.
  void Join();
  // From now on messages are not waited for (the window is closing).
  void Abandon() { abandoned_ = true; }
  // The output fields changed since the last call, with their texts.
  std::map<int, std::string> TakeChangedFields();
  // Forgets field changes not yet taken.
  void DropChangedFields();

  // FrontEnd, from either thread.
  void ShowMessage(const std::string& text) override;
  void RefreshField(int index) override;

 private:
  void Run();

  Simulator& sim_;
  QObject& window_;
  ShowFunction show_;
  EndFunction end_;
  std::thread thread_;
  std::atomic<bool> abandoned_{false};
  // The last message, for the record of a refused start.
  std::string lastMessage_;
  std::mutex fieldsMutex_;
  std::map<int, std::string> changedFields_;  // guarded by fieldsMutex_
};

}  // namespace recmod
