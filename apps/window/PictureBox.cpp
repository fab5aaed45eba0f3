#include "PictureBox.hpp"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <vector>

#include "PictureSaveDialogs.hpp"
#include "render/PictureFile.hpp"
#include "render/PlotRendering.hpp"
#include "render/SweepRendering.hpp"

namespace recmod {

namespace {
const QString kSavePlotEntry = QStringLiteral("Save plot as…");
const QString kSaveSweepEntry = QStringLiteral("Save sweep picture…");
const QString kSaveTableEntry = QStringLiteral("Save results table…");
}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      queue_(kPictureWidth, kPictureHeight),
      image_(RenderPlotImage(RecordedPlot{kPictureWidth, kPictureHeight, {}})) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PictureBox::Present() {
  std::vector<std::shared_ptr<const PlotQueue::Chunk>> fresh;
  const bool cleared = queue_.TakeFresh(fresh);
  if (!cleared && fresh.empty()) return;
  QPainter painter(&image_);
  if (cleared) painter.fillRect(image_.rect(), kPlotBackground);
  for (const auto& chunk : fresh) PaintPlotOperations(painter, *chunk);
  painter.end();
  update();
}

bool PictureBox::SavePlot(const QString& path, QString* error) const {
  return RenderPlot(Snapshot(), path, error);
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(rect(), image_);
}

void PictureBox::SetSweepPicture(std::optional<SweepPicture> picture) {
  sweep_ = std::move(picture);
}

bool PictureBox::SaveSweepPicture(const QString& path, QString* error) const {
  if (!sweep_) {
    if (error != nullptr) *error = QStringLiteral("no sweep has finished");
    return false;
  }
  return RenderSweepPicture(*sweep_, path, error);
}

QStringList PictureBox::ContextMenuEntries() const {
  QStringList entries{kSavePlotEntry};
  if (sweep_) entries << kSaveSweepEntry;
  if (table_) entries << kSaveTableEntry;
  return entries;
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* save = menu.addAction(kSavePlotEntry);
  // After a loop the box is empty; its sweep can still be seen as a picture.
  QAction* saveSweep = sweep_ ? menu.addAction(kSaveSweepEntry) : nullptr;
  QAction* saveTable = table_ ? menu.addAction(kSaveTableEntry) : nullptr;
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == nullptr) return;
  if (chosen == save) AskAndSavePlot(*this);
  if (chosen == saveSweep) AskAndSaveSweep(*this);
  if (chosen == saveTable) AskAndSaveTable(*this);
}

void PictureBox::SetResultsTable(std::optional<std::string> table) {
  table_ = std::move(table);
}

bool PictureBox::SaveResultsTable(const QString& path, QString* error) const {
  if (!table_) {
    if (error != nullptr) *error = QStringLiteral("no finished start");
    return false;
  }
  // Through the pictures' safe path: a FIFO or link at the name is refused
  // (never opened, so the window cannot hang), and the file is whole or absent.
  return WriteBytesToFile(path, QByteArray(table_->data(), static_cast<qsizetype>(table_->size())),
                          error);
}

}  // namespace recmod
