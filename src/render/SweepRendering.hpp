#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include "ChartDrawing.hpp"
#include "HeatMapDrawing.hpp"
#include "PictureDrawing.hpp"
#include "output/sweep/ColourScaleRange.hpp"
#include "output/sweep/SweepReports.hpp"

class QPainter;

namespace recmod {

// The heat map of a loop over S and K: one cell per run, S growing to the
// right and K upwards.
HeatMapLayout LayoutHeatMap(const SkSweep& sweep);
// The colour bar spanning the picture's colour range.
HeatMapLayout LayoutHeatMap(const SkSweep& sweep, const ColourScaleRange& range);

// The colour range of the heat map of `picture`: from its results, or the
// half-width it fixes.
ColourScaleRange HeatMapColourRange(const SweepPicture& picture);

// The chart of a loop over Log10(N): Log10(N) across, the R+ frequency from
// 0 at the bottom to 1 at the top.
using Log10NChartLayout = ChartLayout;
Log10NChartLayout LayoutLog10NChart(const Log10NSweep& sweep);

// Draws the picture of a sweep on a surface of drawing::kPictureSize: a heat map
// of the final R+ frequency over S and K, or the mean final R+ frequency
// against Log10(N). The one drawing for PNG and SVG, from the window and from
// the batch program alike.
void PaintSweepPicture(QPainter& painter, const SweepPicture& picture);

QImage RenderSweepImage(const SweepPicture& picture);

// Writes the picture to `path`: an SVG drawing when the name ends in ".svg"
// (any case), otherwise a PNG image. Needs a QGuiApplication (the offscreen
// platform will do). Returns false and says why in `error` when the file
// cannot be written.
bool RenderSweepPicture(const SweepPicture& picture, const QString& path, QString* error = nullptr);

}  // namespace recmod
