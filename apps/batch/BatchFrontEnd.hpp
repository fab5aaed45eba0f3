#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/Simulator.hpp"

namespace recmod::batch {

// The front end of the batch program: nobody sees a window, so messages are
// kept for the caller to print, and the progress of a long start (runs done
// of all, elapsed time, estimated time left) goes to stderr, at most five
// times a second.
class BatchFrontEnd final : public FrontEnd {
 public:
  // `showProgress`: print progress at all; `terminal`: stderr is a terminal,
  // so the progress line is rewritten in place instead of appended.
  BatchFrontEnd(bool showProgress, bool terminal, bool onlyWhenSlow);

  void ShowMessage(const std::string& text) override;
  void RunFinished(long long runsDone, long long runsTotal) override;
  // Ends a progress line left on a terminal.
  void FinishProgress();

  const std::vector<std::string>& messages() const { return messages_; }

 private:
  using Clock = std::chrono::steady_clock;
  bool showProgress_;
  bool terminal_;
  bool onlyWhenSlow_;  // show nothing during the first half second
  bool lineOpen_ = false;
  Clock::time_point started_;
  Clock::time_point lastShown_;
  std::vector<std::string> messages_;
};

// "1:05", "1:02:03": a duration in whole seconds for the progress line.
std::string ClockText(double seconds);

// The progress line for `done` of `total` runs after `elapsed` seconds.
std::string ProgressLine(long long done, long long total, double elapsed);

}  // namespace recmod::batch
