#include "PictureBox.hpp"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <vector>

#include "render/PlotRendering.hpp"

namespace recmod {

namespace {
// A chunk is handed over when it holds this many operations, or when drawing
// has gone on for kPublishInterval since the last hand-over.
constexpr std::size_t kChunkSize = 4096;
constexpr auto kPublishInterval = std::chrono::milliseconds(8);
}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      width_(kPictureWidth),
      height_(kPictureHeight),
      image_(RenderPlotImage(RecordedPlot{kPictureWidth, kPictureHeight, {}})) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  StartChunk();
}

void PictureBox::StartChunk() {
  drawing_ = Chunk();
  drawing_.reserve(kChunkSize);
}

void PictureBox::Clear() {
  drawing_.clear();
  std::vector<std::shared_ptr<const Chunk>> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(published_);
    ++publishedClears_;
  }
}

void PictureBox::Refresh() {
  Publish();
}

// Points and segments carry their own coordinates; the position is not
// needed for drawing.
void PictureBox::SetPosition(float /*x*/, float /*y*/) {}

void PictureBox::PublishIfDue() {
  if (drawing_.size() >= kChunkSize ||
      std::chrono::steady_clock::now() - lastPublished_ >= kPublishInterval) {
    Publish();
  }
}

void PictureBox::Publish() {
  lastPublished_ = std::chrono::steady_clock::now();
  if (drawing_.empty()) return;
  auto chunk = std::make_shared<const Chunk>(std::move(drawing_));
  {
    std::lock_guard lock(mutex_);
    published_.push_back(std::move(chunk));
  }
  StartChunk();
}

void PictureBox::Present() {
  std::vector<std::shared_ptr<const Chunk>> fresh;
  bool cleared = false;
  {
    std::lock_guard lock(mutex_);
    if (publishedClears_ != presentedClears_) {
      presentedClears_ = publishedClears_;
      presentedChunks_ = 0;
      cleared = true;
    }
    fresh.assign(published_.begin() + static_cast<std::ptrdiff_t>(presentedChunks_),
                 published_.end());
    presentedChunks_ = published_.size();
  }
  if (!cleared && fresh.empty()) return;
  QPainter painter(&image_);
  if (cleared) painter.fillRect(image_.rect(), kPlotBackground);
  for (const auto& chunk : fresh) PaintPlotOperations(painter, *chunk);
  painter.end();
  update();
}

RecordedPlot PictureBox::Snapshot() const {
  RecordedPlot plot{width_, height_, {}};
  std::lock_guard lock(mutex_);
  for (const auto& chunk : published_) {
    plot.operations.insert(plot.operations.end(), chunk->begin(), chunk->end());
  }
  return plot;
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
