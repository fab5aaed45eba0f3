#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "output/RecordedPlot.hpp"

namespace recmod {

// The picture box's drawing surface: it records what a run draws and hands it
// to the window's thread. One thread draws at a time (the start's worker
// while a start runs, the window's thread otherwise); it fills a chunk of
// operations of its own and hands full chunks over under a lock, at least
// every few milliseconds, without copying them.
class PlotQueue final : public PlotSurface {
 public:
  using Chunk = std::vector<PlotOperation>;

  PlotQueue(float width, float height);

  // PlotSurface, for the drawing thread.
  void Clear() override;
  void Refresh() override;
  void SetPosition(float x, float y) override;
  float DrawingWidth() const override { return width_; }
  float DrawingHeight() const override { return height_; }
  void SetColour(Rgb colour) override { colour_ = colour; }
  void DrawPoint(float x, float y) override {
    Record({PlotOperation::Kind::Point, colour_, x, y, x, y});
  }
  void DrawLine(float x1, float y1, float x2, float y2) override {
    Record({PlotOperation::Kind::Line, colour_, x1, y1, x2, y2});
  }

  // Drawing thread: hands over every operation drawn so far.
  void Publish();

  // The chunks handed over since the last call, for the thread that shows
  // them; true when the surface was cleared in between (the chunks then
  // start from an empty plot).
  bool TakeFresh(std::vector<std::shared_ptr<const Chunk>>& fresh);

  // A copy of the handed-over plot.
  RecordedPlot Snapshot() const;

 private:
  // The clock is read every kClockStride operations only.
  static constexpr std::size_t kClockStride = 256;

  void Record(const PlotOperation& operation) {
    drawing_.push_back(operation);
    if (drawing_.size() % kClockStride == 0) PublishIfDue();
  }
  void PublishIfDue();
  void StartChunk();

  const float width_;
  const float height_;

  // The drawing thread's own.
  Rgb colour_;
  Chunk drawing_;
  std::chrono::steady_clock::time_point lastPublished_;

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<const Chunk>> published_;  // guarded by mutex_
  std::uint64_t publishedClears_ = 0;                    // guarded by mutex_

  // The taking thread's own.
  std::size_t takenChunks_ = 0;
  std::uint64_t takenClears_ = 0;
};

}  // namespace recmod
