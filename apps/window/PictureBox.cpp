#include "PictureBox.hpp"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "render/PlotRendering.hpp"

namespace recmod {

namespace {
// Operations are published in batches of at most this many, and at least
// every kPublishInterval while drawing goes on; the clock is read every
// kClockStride operations only.
constexpr std::size_t kPublishBatch = 4096;
constexpr std::size_t kClockStride = 64;
constexpr auto kPublishInterval = std::chrono::milliseconds(8);
}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      width_(kPictureWidth),
      height_(kPictureHeight),
      published_{kPictureWidth, kPictureHeight, {}},
      image_(RenderPlotImage(published_)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PictureBox::Clear() {
  unpublished_.clear();
  std::lock_guard lock(mutex_);
  published_.operations.clear();
  ++publishedClears_;
}

void PictureBox::Refresh() {
  Publish();
}

// Points and segments carry their own coordinates; the position is not
// needed for drawing.
void PictureBox::SetPosition(float /*x*/, float /*y*/) {}

void PictureBox::DrawPoint(float x, float y) {
  Record({PlotOperation::Kind::Point, colour_, x, y, x, y});
}

void PictureBox::DrawLine(float x1, float y1, float x2, float y2) {
  Record({PlotOperation::Kind::Line, colour_, x1, y1, x2, y2});
}

void PictureBox::Record(const PlotOperation& operation) {
  unpublished_.push_back(operation);
  const std::size_t count = unpublished_.size();
  if (count >= kPublishBatch ||
      (count % kClockStride == 0 &&
       std::chrono::steady_clock::now() - lastPublished_ >= kPublishInterval)) {
    Publish();
  }
}

void PictureBox::Publish() {
  lastPublished_ = std::chrono::steady_clock::now();
  if (unpublished_.empty()) return;
  {
    std::lock_guard lock(mutex_);
    published_.operations.insert(published_.operations.end(), unpublished_.begin(),
                                 unpublished_.end());
  }
  unpublished_.clear();
}

void PictureBox::Present() {
  std::vector<PlotOperation> fresh;
  bool cleared = false;
  {
    std::lock_guard lock(mutex_);
    const auto& operations = published_.operations;
    if (publishedClears_ != presentedClears_) {
      presentedClears_ = publishedClears_;
      presentedCount_ = 0;
      cleared = true;
    }
    if (operations.size() > presentedCount_) {
      fresh.resize(operations.size() - presentedCount_);
      std::copy(operations.begin() + static_cast<std::ptrdiff_t>(presentedCount_), operations.end(),
                fresh.begin());
      presentedCount_ = operations.size();
    }
  }
  if (!cleared && fresh.empty()) return;
  QPainter painter(&image_);
  if (cleared) painter.fillRect(image_.rect(), kPlotBackground);
  PaintPlotOperations(painter, fresh);
  painter.end();
  update();
}

RecordedPlot PictureBox::Snapshot() const {
  std::lock_guard lock(mutex_);
  return published_;
}

bool PictureBox::SavePlot(const QString& path, QString* error) const {
  return RenderPlot(Snapshot(), path, error);
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(rect(), image_);
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* save = menu.addAction(QStringLiteral("Save plot as…"));
  if (menu.exec(event->globalPos()) == save) AskAndSave();
}

void PictureBox::AskAndSave() {
  QString filter;
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save plot as"), QStringLiteral("plot.png"),
      QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"), &filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) {
    path +=
        filter.contains(QStringLiteral("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
  }
  QString error;
  if (!SavePlot(path, &error)) {
    QMessageBox::warning(this, QStringLiteral("recmod"),
                         QStringLiteral("The plot could not be saved to %1: %2").arg(path, error));
  }
}

}  // namespace recmod
