#include "PictureSaveDialogs.hpp"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace recmod {

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

// Saves to `path` (nothing when the user cancelled) and tells the user when
// `what` could not be written.
template <typename Save>
void SaveOrWarn(PictureBox& box, const QString& path, const QString& what, Save save) {
  if (path.isEmpty()) return;
  QString error;
  if (!save(path, &error)) {
    QMessageBox::warning(&box, QStringLiteral("recmod"),
                         QStringLiteral("%1 could not be saved to %2: %3").arg(what, path, error));
  }
}
}  // namespace

void AskAndSaveSweep(PictureBox& box) {
  SaveOrWarn(
      box, AskPictureFile(&box, QStringLiteral("Save sweep picture"), QStringLiteral("sweep.png")),
      QStringLiteral("The sweep picture"),
      [&box](const QString& path, QString* error) { return box.SaveSweepPicture(path, error); });
}

void AskAndSaveTable(PictureBox& box) {
  QString path = QFileDialog::getSaveFileName(&box, QStringLiteral("Save results table"),
                                              QStringLiteral("results.csv"),
                                              QStringLiteral("CSV table (*.csv)"));
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  SaveOrWarn(
      box, path, QStringLiteral("The results table"),
      [&box](const QString& file, QString* error) { return box.SaveResultsTable(file, error); });
}

void AskAndSavePlot(PictureBox& box) {
  SaveOrWarn(box, AskPictureFile(&box, QStringLiteral("Save plot as"), QStringLiteral("plot.png")),
             QStringLiteral("The plot"),
             [&box](const QString& path, QString* error) { return box.SavePlot(path, error); });
}

}  // namespace recmod
