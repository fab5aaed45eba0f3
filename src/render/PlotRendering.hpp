#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <span>

#include "output/RecordedPlot.hpp"

class QPainter;

namespace recmod {

// The background of the picture box.
inline const QColor kPlotBackground{224, 255, 224};

// Draws recorded operations with `painter`, one pixel wide and without
// anti-aliasing, as the picture box shows them. The one drawing code for the
// screen, PNG and SVG.
void PaintPlotOperations(QPainter& painter, std::span<const PlotOperation> operations);

// The background, then every operation.
void PaintPlot(QPainter& painter, const RecordedPlot& plot);

// The plot as an image of its size in pixels (bottom row height - 1).
QImage RenderPlotImage(const RecordedPlot& plot);

// Writes the plot to `path`: an SVG drawing when the name ends in ".svg"
// (any case), otherwise a PNG image. Needs a QGuiApplication (the offscreen
// platform will do). Returns false and says why in `error` when the file
// cannot be written.
bool RenderPlot(const RecordedPlot& plot, const QString& path, QString* error = nullptr);

}  // namespace recmod
