#pragma once

#include <QImage>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "output/RecordedPlot.hpp"

namespace recmod {

// The picture box: a plot surface of fixed pixel size that records what a
// run draws and shows it. One thread draws at a time (the start's worker
// while a start runs, the window's thread otherwise); it collects operations
// on its own and publishes them in batches under a lock, at least every few
// milliseconds. The window's thread turns published operations into pixels
// when it calls Present(), at screen rate during a start.
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
  void DrawPoint(float x, float y) override;
  void DrawLine(float x1, float y1, float x2, float y2) override;

  // Drawing thread: publishes every operation drawn so far. The window's
  // thread calls it once a start's worker has ended, as the drawer again.
  void Publish();

  // Window's thread: draws the operations published since the last call into
  // the image and repaints when anything changed.
  void Present();
  // The image as the last Present() left it.
  const QImage& image() const { return image_; }
  // A copy of the published plot, for saving.
  RecordedPlot Snapshot() const;
  // Writes the published plot as PNG or SVG (by the name's ending).
  bool SavePlot(const QString& path, QString* error = nullptr) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Record(const PlotOperation& operation);
  void AskAndSave();

  const float width_;
  const float height_;

  // The drawing thread's own.
  Rgb colour_;
  std::vector<PlotOperation> unpublished_;
  std::chrono::steady_clock::time_point lastPublished_;

  mutable std::mutex mutex_;
  RecordedPlot published_;             // guarded by mutex_
  std::uint64_t publishedClears_ = 0;  // guarded by mutex_

  // Window's thread only.
  QImage image_;
  std::size_t presentedCount_ = 0;
  std::uint64_t presentedClears_ = 0;
};

}  // namespace recmod
