#pragma once

#include <QImage>
#include <QString>

#include "ChartDrawing.hpp"
#include "HeatMapDrawing.hpp"
#include "PictureDrawing.hpp"
#include "output/sweep/ColourScaleRange.hpp"
#include "output/sweep/StudyPicture.hpp"

class QPainter;

namespace recmod {

// The chart of a study over one axis: its values across (log10 of them on a
// log axis) with half a mean step beyond the outer ones, the frequency over
// the span around the start frequency that the results need.
ChartLayout LayoutStudyChart(const StudyPicture& picture);

// The span of the frequencies of a picture: the means (and, on a chart, their
// bands of 2 standard errors) around the start frequency, as a heat map's
// colours span them.
ColourScaleRange StudyFrequencyRange(const StudyPicture& picture);

// The heat map of a study over two axes: the first across, the second
// upwards, one cell per point.
HeatMapLayout LayoutStudyHeatMap(const StudyPicture& picture);

// Draws the picture of a study on a surface of drawing::kPictureSize: with
// one axis the mean final R+ frequency against it, with a band of 2 standard
// errors either side and the start frequency dashed; with two a heat map of
// the mean with the line where it equals the start frequency. A picture that
// StudyPictureProblem refuses shows the reason instead.
void PaintStudyPicture(QPainter& painter, const StudyPicture& picture);

QImage RenderStudyImage(const StudyPicture& picture);

// Writes the picture to `path`: an SVG drawing when the name ends in ".svg"
// (any case), otherwise a PNG image. Needs a QGuiApplication (the offscreen
// platform will do). Returns false and says why in `error` when the study
// has no picture (StudyPictureProblem) or the file cannot be written.
bool RenderStudyPicture(const StudyPicture& picture, const QString& path, QString* error = nullptr);

}  // namespace recmod
