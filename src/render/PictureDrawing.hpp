#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QPainter;

// The pieces every picture of a sweep or a study is drawn with: its size, its
// colours and fonts, text placed by an anchor, frames, ticks, legends, and
// the writing of the finished drawing as PNG or SVG.
namespace recmod::drawing {

// The size in pixels of every picture of a sweep or a study.
inline constexpr QSize kPictureSize{760, 560};

inline const QColor kSex(192, 0, 0);
inline const QColor kInk(0, 0, 0);
inline const QColor kMissing(214, 214, 214);
inline const QColor kGrid(228, 228, 228);
inline const QColor kStartLine(70, 70, 70);
inline const QColor kStandardErrorFill(244, 188, 188);

inline constexpr int kTickLength = 5;
// Labelled ticks per axis: more would crowd the labels of a 530-pixel axis.
inline constexpr int kMostTicks = 6;

QString Text(const std::string& text);
// A value as the pictures label it (".05", "1E-04").
QString NumberLabel(double value);

QFont PictureFont(int pixelSize, bool bold = false);

// Text with its anchor point placed by `alignment` (left, centre or right;
// top, centre or bottom).
void DrawTextAt(QPainter& painter, QPointF anchor, const QString& text, Qt::Alignment alignment);
// Text running upwards, centred on `centre`.
void DrawUpwardText(QPainter& painter, QPointF centre, const QString& text);
void DrawTitle(QPainter& painter, const QString& title);
// A frame one pixel outside the plot's edges.
void DrawFrame(QPainter& painter, const QRectF& plot);
void DrawNoRuns(QPainter& painter, const QRectF& plot);

// A tick below the plot at pixel column x, and one left of it at pixel row y,
// each with its label; in the current font and pen.
void DrawBottomTick(QPainter& painter, const QRectF& plot, double x, const QString& label);
void DrawLeftTick(QPainter& painter, const QRectF& plot, double y, const QString& label);
// The title below the plot, across, and left of it, upright or upwards.
void DrawBottomTitle(QPainter& painter, const QRectF& plot, const QString& title);
void DrawLeftTitle(QPainter& painter, const QRectF& plot, const QString& title, bool upwards);

// The legend's row along the bottom of the picture.
double LegendY();
// A short line drawn in `pen`, then its words; returns where the next entry
// starts.
double DrawLegendLine(QPainter& painter, double x, double y, const QPen& pen, const QString& words);
// A dot of the means, then its words.
double DrawLegendDot(QPainter& painter, double x, double y, const QString& words);
// A patch of `fill`, then its words.
double DrawLegendPatch(QPainter& painter, double x, double y, const QColor& fill,
                       const QString& words);

// The labelled ticks of an axis of cells (a heat map's), `index` in cells
// with 0 at the first cell's centre: round values placed among the values of
// the cells (among their logarithms on a log axis), or, when those do not
// increase, the cells' own values. With `eachFewCell`, an axis of at most
// kMostTicks cells labels each cell with its value instead, so that a few
// discrete values (a switch's 0 and 1) are not read as a continuous scale.
struct Tick {
  double index = 0.0;
  QString label;
};
std::vector<Tick> GridTicks(const std::vector<double>& values, bool logScale = false,
                            bool eachFewCell = false);

// Writes a drawing to `path`: an SVG drawing when the name ends in ".svg"
// (any case), otherwise a PNG image, each of kPictureSize, through
// WritePictureFile. `title` and `description` go into the SVG file.
struct PictureDrawing {
  QString title;
  QString description;
  std::function<void(QPainter&)> paint;
};
QImage RenderDrawingImage(const PictureDrawing& drawing);
bool WriteDrawing(const PictureDrawing& drawing, const QString& path, QString* error);

}  // namespace recmod::drawing
