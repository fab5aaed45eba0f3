#include "PlotRendering.hpp"
#include "QtColour.hpp"

#include "PictureFile.hpp"

#include <QPainter>
#include <QPen>
#include <QSvgGenerator>
#include <cmath>

namespace recmod {

namespace {

QSize PlotSize(const RecordedPlot& plot) {
  return {static_cast<int>(std::lround(plot.width)), static_cast<int>(std::lround(plot.height))};
}

bool WriteSvg(const RecordedPlot& plot, QIODevice& device, QString* error) {
  QSvgGenerator generator;
  generator.setOutputDevice(&device);
  generator.setSize(PlotSize(plot));
  generator.setViewBox(QRect(QPoint(0, 0), PlotSize(plot)));
  generator.setResolution(96);
  generator.setTitle(QStringLiteral("recmod plot"));
  generator.setDescription(
      QStringLiteral("Stacked haplotype frequencies against generations: R+ red, R- blue"));
  QPainter painter;
  if (!painter.begin(&generator)) {
    if (error != nullptr) *error = QStringLiteral("cannot draw into the SVG file");
    return false;
  }
  // Raster pixel (x, y) covers [x, x + 1) x [y, y + 1); a vector stroke is
  // centred on its coordinates. Half a pixel puts the strokes on the pixels
  // that the image shows.
  painter.fillRect(QRectF(0, 0, plot.width, plot.height), kPlotBackground);
  painter.translate(0.5, 0.5);
  PaintPlotOperations(painter, plot.operations);
  painter.end();
  return true;
}

}  // namespace

void PaintPlotOperations(QPainter& painter, std::span<const PlotOperation> operations) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen;
  pen.setWidth(1);
  pen.setCosmetic(true);
  pen.setCapStyle(Qt::SquareCap);
  bool penSet = false;
  Rgb current;
  for (const PlotOperation& operation : operations) {
    if (!penSet || !(operation.colour == current)) {
      current = operation.colour;
      pen.setColor(ToQColor(current));
      painter.setPen(pen);
      penSet = true;
    }
    if (operation.kind == PlotOperation::Kind::Point) {
      painter.drawPoint(QPointF(operation.x1, operation.y1));
    } else {
      painter.drawLine(QLineF(operation.x1, operation.y1, operation.x2, operation.y2));
    }
  }
}

void PaintPlot(QPainter& painter, const RecordedPlot& plot) {
  painter.fillRect(QRectF(0, 0, plot.width, plot.height), kPlotBackground);
  PaintPlotOperations(painter, plot.operations);
}

QImage RenderPlotImage(const RecordedPlot& plot) {
  QImage image(PlotSize(plot), QImage::Format_RGB32);
  QPainter painter(&image);
  PaintPlot(painter, plot);
  return image;
}

bool RenderPlot(const RecordedPlot& plot, const QString& path, QString* error) {
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  return WritePictureFile(
      path,
      [&](QIODevice& device, QString* drawError) {
        if (svg) return WriteSvg(plot, device, drawError);
        if (RenderPlotImage(plot).save(&device, "PNG")) return true;
        if (drawError != nullptr) *drawError = QStringLiteral("cannot write the PNG image");
        return false;
      },
      error);
}

}  // namespace recmod
