#include "BatchFrontEnd.hpp"

#include <cmath>

namespace recmod::batch {

namespace {
constexpr auto kMinimumInterval = std::chrono::milliseconds(200);
constexpr auto kQuietStart = std::chrono::milliseconds(500);
}  // namespace

std::string ClockText(double seconds) {
  const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
  const long long hours = total / 3600;
  const long long minutes = (total / 60) % 60;
  const long long secs = total % 60;
  char buffer[48];
  if (hours > 0) {
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", hours, minutes, secs);
  } else {
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld", minutes, secs);
  }
  return buffer;
}

std::string ProgressLine(long long done, long long total, double elapsed) {
  std::string line = "run " + std::to_string(done);
  if (total > 0) line += " of " + std::to_string(total);
  line += ", " + ClockText(elapsed) + " elapsed";
  if (total > 0 && done > 0 && done < total) {
    const double left = elapsed / static_cast<double>(done) * static_cast<double>(total - done);
    line += ", about " + ClockText(left) + " left";
  }
  return line;
}

BatchFrontEnd::BatchFrontEnd(bool showProgress, bool terminal, bool onlyWhenSlow)
    : showProgress_(showProgress),
      terminal_(terminal),
      onlyWhenSlow_(onlyWhenSlow),
      started_(Clock::now()),
      lastShown_(started_) {}

void BatchFrontEnd::ShowMessage(const std::string& text) {
  messages_.push_back(text);
}

void BatchFrontEnd::RunFinished(long long runsDone, long long runsTotal) {
  if (!showProgress_) return;
  const auto now = Clock::now();
  const bool last = runsTotal > 0 && runsDone >= runsTotal;
  if (onlyWhenSlow_ && now - started_ < kQuietStart) return;
  if (!last && lineOpen_ && now - lastShown_ < kMinimumInterval) return;
  lastShown_ = now;
  const double elapsed = std::chrono::duration<double>(now - started_).count();
  const std::string line = ProgressLine(runsDone, runsTotal, elapsed);
  if (terminal_) {
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    lineOpen_ = true;
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
    lineOpen_ = true;
  }
  std::fflush(stderr);
}

void BatchFrontEnd::FinishProgress() {
  if (terminal_ && lineOpen_) std::fputc('\n', stderr);
  lineOpen_ = false;
}

}  // namespace recmod::batch
