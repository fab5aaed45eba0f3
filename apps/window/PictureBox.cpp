#include "PictureBox.hpp"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <vector>

#include "render/PlotRendering.hpp"
#include "render/SweepRendering.hpp"

namespace recmod {

namespace {
// A chunk is handed over when it holds this many operations, or when drawing
// has gone on for kPublishInterval since the last hand-over.
constexpr std::size_t kChunkSize = 4096;
constexpr auto kPublishInterval = std::chrono::milliseconds(8);

const QString kSavePlotEntry = QStringLiteral("Save plot as…");
const QString kSaveSweepEntry = QStringLiteral("Save sweep picture…");
const QString kSaveTableEntry = QStringLiteral("Save results table…");
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
  if (chosen == save) AskAndSave();
  if (chosen == saveSweep) AskAndSaveSweep();
  if (chosen == saveTable) AskAndSaveTable();
}

namespace {
// Asks for a PNG or SVG file name (adding the ending of the chosen type when
// the name has none); empty when the user cancels.
QString AskPictureFile(QWidget* parent, const QString& title, const QString& suggestion) {
  QString filter;
  QString path = QFileDialog::getSaveFileName(
      parent, title, suggestion, QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"), &filter);
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
    path +=
        filter.contains(QStringLiteral("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
  }
  return path;
}
}  // namespace

void PictureBox::AskAndSaveSweep() {
  const QString path =
      AskPictureFile(this, QStringLiteral("Save sweep picture"), QStringLiteral("sweep.png"));
  if (path.isEmpty()) return;
  QString error;
  if (!SaveSweepPicture(path, &error)) {
    QMessageBox::warning(
        this, QStringLiteral("recmod"),
        QStringLiteral("The sweep picture could not be saved to %1: %2").arg(path, error));
  }
}

void PictureBox::SetResultsTable(std::optional<std::string> table) {
  table_ = std::move(table);
}

bool PictureBox::SaveResultsTable(const QString& path, QString* error) const {
  if (!table_) {
    if (error != nullptr) *error = QStringLiteral("no finished start");
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(table_->data(), static_cast<qint64>(table_->size())) !=
          static_cast<qint64>(table_->size()) ||
      !file.flush()) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  return true;
}

void PictureBox::AskAndSaveTable() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save results table"),
                                              QStringLiteral("results.csv"),
                                              QStringLiteral("CSV table (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  QString error;
  if (!SaveResultsTable(path, &error)) {
    QMessageBox::warning(
        this, QStringLiteral("recmod"),
        QStringLiteral("The results table could not be saved to %1: %2").arg(path, error));
  }
}

void PictureBox::AskAndSave() {
  const QString path =
      AskPictureFile(this, QStringLiteral("Save plot as"), QStringLiteral("plot.png"));
  if (path.isEmpty()) return;
  QString error;
  if (!SavePlot(path, &error)) {
    QMessageBox::warning(this, QStringLiteral("recmod"),
                         QStringLiteral("The plot could not be saved to %1: %2").arg(path, error));
  }
}

}  // namespace recmod
