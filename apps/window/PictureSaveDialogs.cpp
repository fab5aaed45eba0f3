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
}  // namespace

void AskAndSaveSweep(PictureBox& box) {
  const QString path =
      AskPictureFile(&box, QStringLiteral("Save sweep picture"), QStringLiteral("sweep.png"));
  if (path.isEmpty()) return;
  QString error;
  if (!box.SaveSweepPicture(path, &error)) {
    QMessageBox::warning(
        &box, QStringLiteral("recmod"),
        QStringLiteral("The sweep picture could not be saved to %1: %2").arg(path, error));
  }
}

void AskAndSaveTable(PictureBox& box) {
  QString path = QFileDialog::getSaveFileName(&box, QStringLiteral("Save results table"),
                                              QStringLiteral("results.csv"),
                                              QStringLiteral("CSV table (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  QString error;
  if (!box.SaveResultsTable(path, &error)) {
    QMessageBox::warning(
        &box, QStringLiteral("recmod"),
        QStringLiteral("The results table could not be saved to %1: %2").arg(path, error));
  }
}

void AskAndSavePlot(PictureBox& box) {
  const QString path =
      AskPictureFile(&box, QStringLiteral("Save plot as"), QStringLiteral("plot.png"));
  if (path.isEmpty()) return;
  QString error;
  if (!box.SavePlot(path, &error)) {
    QMessageBox::warning(&box, QStringLiteral("recmod"),
                         QStringLiteral("The plot could not be saved to %1: %2").arg(path, error));
  }
}

}  // namespace recmod
