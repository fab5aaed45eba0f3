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

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      width_(kPictureWidth),
      height_(kPictureHeight),
      recording_(kPictureWidth, kPictureHeight),
      image_(RenderPlotImage(RecordedPlot{kPictureWidth, kPictureHeight, {}})) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PictureBox::Clear() {
  std::lock_guard lock(mutex_);
  recording_.Clear();
}

// Repaints happen at screen rate (Present), so a refresh has nothing to add.
void PictureBox::Refresh() {}

void PictureBox::SetPosition(float x, float y) {
  std::lock_guard lock(mutex_);
  recording_.SetPosition(x, y);
}

void PictureBox::SetColour(Rgb colour) {
  std::lock_guard lock(mutex_);
  recording_.SetColour(colour);
}

void PictureBox::DrawPoint(float x, float y) {
  std::lock_guard lock(mutex_);
  recording_.DrawPoint(x, y);
}

void PictureBox::DrawLine(float x1, float y1, float x2, float y2) {
  std::lock_guard lock(mutex_);
  recording_.DrawLine(x1, y1, x2, y2);
}

void PictureBox::Present() {
  std::vector<PlotOperation> fresh;
  bool cleared = false;
  {
    std::lock_guard lock(mutex_);
    const auto& operations = recording_.plot().operations;
    if (recording_.clearCount() != presentedClearCount_) {
      presentedClearCount_ = recording_.clearCount();
      presentedCount_ = 0;
      cleared = true;
    }
    if (operations.size() > presentedCount_) {
      fresh.assign(operations.begin() + static_cast<std::ptrdiff_t>(presentedCount_),
                   operations.end());
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
  return recording_.plot();
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
