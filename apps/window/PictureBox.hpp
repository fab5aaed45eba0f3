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

#include "PlotQueue.hpp"
#include "output/RecordedPlot.hpp"
#include "output/sweep/SweepReports.hpp"

namespace recmod {

// The picture box: the widget that shows what a run draws on its plot queue.
// The window's thread turns handed-over operations into pixels when it calls
// Present(), at screen rate during a start. Its context menu saves the plot,
// the last sweep's picture and the last start's results table.
class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The surface that runs draw on (from the drawing thread).
  PlotQueue& queue() { return queue_; }
  // Hands over every operation drawn so far; the window's thread calls it
  // once a start's worker has ended, as the drawer again.
  void Publish() { queue_.Publish(); }

  // Window's thread: draws the operations handed over since the last call
  // into the image and repaints when anything changed.
  void Present();
  // The image as the last Present() left it.
  const QImage& image() const { return image_; }
  // A copy of the handed-over plot, for saving.
  RecordedPlot Snapshot() const { return queue_.Snapshot(); }
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
  PlotQueue queue_;

  // Window's thread only.
  QImage image_;
  std::optional<SweepPicture> sweep_;
  std::optional<std::string> table_;
};

}  // namespace recmod
