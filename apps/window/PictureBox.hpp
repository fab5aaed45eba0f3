#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "output/RecordedPlot.hpp"
#include "output/sweep/SweepReports.hpp"

namespace recmod {

// The picture box: a plot surface of fixed pixel size that records what a
// run draws and shows it. One thread draws at a time (the start's worker
// while a start runs, the window's thread otherwise); it fills a chunk of
// operations of its own and hands full chunks over under a lock, at least
// every few milliseconds, without copying them. The window's thread turns
// handed-over operations into pixels when it calls Present(), at screen rate
// during a start.
class PictureBox : public QWidget, public PlotSurface {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

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

  // Drawing thread: hands over every operation drawn so far. The window's
  // thread calls it once a start's worker has ended, as the drawer again.
  void Publish();

  // Window's thread: draws the operations handed over since the last call
  // into the image and repaints when anything changed.
  void Present();
  // The image as the last Present() left it.
  const QImage& image() const { return image_; }
  // A copy of the handed-over plot, for saving.
  RecordedPlot Snapshot() const;
  // Writes the handed-over plot as PNG or SVG (by the name's ending).
  bool SavePlot(const QString& path, QString* error = nullptr) const;

  // The sweep that the last start of a loop mode wrote, which the context
  // menu offers to save as a picture; nothing after other starts.
  void SetSweepPicture(std::optional<SweepPicture> picture);
  bool HasSweepPicture() const { return sweep_.has_value(); }
  // Writes the sweep's picture as PNG or SVG (by the name's ending).
  bool SaveSweepPicture(const QString& path, QString* error = nullptr) const;
  // The results table (CSV) of the last finished start, which the context
  // menu offers to save; nothing after a start that did not finish.
  void SetResultsTable(std::optional<std::string> table);
  bool HasResultsTable() const { return table_.has_value(); }
  bool SaveResultsTable(const QString& path, QString* error = nullptr) const;
  // The context menu's entries, as the menu shows them.
  QStringList ContextMenuEntries() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  using Chunk = std::vector<PlotOperation>;
  // The clock is read every kClockStride operations only.
  static constexpr std::size_t kClockStride = 256;

  void Record(const PlotOperation& operation) {
    drawing_.push_back(operation);
    if (drawing_.size() % kClockStride == 0) PublishIfDue();
  }
  void PublishIfDue();
  void StartChunk();
  void AskAndSave();
  void AskAndSaveSweep();
  void AskAndSaveTable();

  const float width_;
  const float height_;

  // The drawing thread's own.
  Rgb colour_;
  Chunk drawing_;
  std::chrono::steady_clock::time_point lastPublished_;

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<const Chunk>> published_;  // guarded by mutex_
  std::uint64_t publishedClears_ = 0;                    // guarded by mutex_

  // Window's thread only.
  QImage image_;
  std::size_t presentedChunks_ = 0;
  std::uint64_t presentedClears_ = 0;
  std::optional<SweepPicture> sweep_;
  std::optional<std::string> table_;
};

}  // namespace recmod
