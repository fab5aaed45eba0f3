#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <mutex>

#include "output/RecordedPlot.hpp"

namespace recmod {

// The picture box: a plot surface of fixed pixel size that records what a
// run draws and shows it. The run draws on its own thread, so the surface
// methods only record under a lock; the window's thread turns new operations
// into pixels when it calls Present(), at screen rate during a start.
class PictureBox : public QWidget, public PlotSurface {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // PlotSurface, callable from any thread.
  void Clear() override;
  void Refresh() override;
  void SetPosition(float x, float y) override;
  float DrawingWidth() const override { return width_; }
  float DrawingHeight() const override { return height_; }
  void SetColour(Rgb colour) override;
  void DrawPoint(float x, float y) override;
  void DrawLine(float x1, float y1, float x2, float y2) override;

  // Window's thread: draws the operations recorded since the last call into
  // the image and repaints when anything changed.
  void Present();
  // The image as the last Present() left it.
  const QImage& image() const { return image_; }
  // A copy of the current plot, for saving.
  RecordedPlot Snapshot() const;
  // Writes the current plot as PNG or SVG (by the name's ending).
  bool SavePlot(const QString& path, QString* error = nullptr) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void AskAndSave();

  const float width_;
  const float height_;

  mutable std::mutex mutex_;
  RecordingPlotSurface recording_;  // guarded by mutex_

  // Window's thread only.
  QImage image_;
  std::size_t presentedCount_ = 0;
  std::uint64_t presentedClearCount_ = 0;
};

}  // namespace recmod
