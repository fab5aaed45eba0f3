#include "PictureDrawing.hpp"

#include <QPainter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "PictureFile.hpp"
#include "output/sweep/AxisTicks.hpp"

namespace recmod::drawing {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString NumberLabel(double value) {
  return Text(PictureNumberText(value));
}

QFont PictureFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void DrawTextAt(QPainter& painter, QPointF anchor, const QString& text, Qt::Alignment alignment) {
  constexpr double kBox = 400.0;
  double x = anchor.x() - kBox / 2.0;
  if (alignment & Qt::AlignLeft) x = anchor.x();
  if (alignment & Qt::AlignRight) x = anchor.x() - kBox;
  double y = anchor.y() - kBox / 2.0;
  if (alignment & Qt::AlignTop) y = anchor.y();
  if (alignment & Qt::AlignBottom) y = anchor.y() - kBox;
  painter.drawText(QRectF(x, y, kBox, kBox), static_cast<int>(alignment) | Qt::TextDontClip, text);
}

void DrawUpwardText(QPainter& painter, QPointF centre, const QString& text) {
  painter.save();
  painter.translate(centre);
  painter.rotate(-90.0);
  DrawTextAt(painter, QPointF(0.0, 0.0), text, Qt::AlignCenter);
  painter.restore();
}

void DrawTitle(QPainter& painter, const QString& title) {
  painter.setFont(PictureFont(16, true));
  painter.setPen(kInk);
  DrawTextAt(painter, QPointF(kPictureSize.width() / 2.0, 16.0), title, Qt::AlignCenter);
}

void DrawFrame(QPainter& painter, const QRectF& plot) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(kInk, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot.toRect().adjusted(-1, -1, 0, 0));
}

void DrawNoRuns(QPainter& painter, const QRectF& plot) {
  painter.setFont(PictureFont(14));
  painter.setPen(kInk);
  DrawTextAt(painter, plot.center(), QStringLiteral("No runs to show"), Qt::AlignCenter);
}

void DrawBottomTick(QPainter& painter, const QRectF& plot, double x, const QString& label) {
  painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
  DrawTextAt(painter, QPointF(x, plot.bottom() + kTickLength + 2.0), label,
             Qt::AlignHCenter | Qt::AlignTop);
}

void DrawLeftTick(QPainter& painter, const QRectF& plot, double y, const QString& label) {
  painter.drawLine(QPointF(plot.left() - 1.0 - kTickLength, y), QPointF(plot.left() - 1.0, y));
  DrawTextAt(painter, QPointF(plot.left() - kTickLength - 4.0, y), label,
             Qt::AlignRight | Qt::AlignVCenter);
}

void DrawBottomTitle(QPainter& painter, const QRectF& plot, const QString& title) {
  DrawTextAt(painter, QPointF(plot.center().x(), plot.bottom() + 40.0), title,
             Qt::AlignHCenter | Qt::AlignTop);
}

void DrawLeftTitle(QPainter& painter, const QRectF& plot, const QString& title, bool upwards) {
  // Clear of the widest tick labels (".4998", "1E-04").
  if (upwards) {
    DrawUpwardText(painter, QPointF(plot.left() - 58.0, plot.center().y()), title);
  } else {
    DrawTextAt(painter, QPointF(plot.left() - 62.0, plot.center().y()), title, Qt::AlignCenter);
  }
}

double LegendY() {
  return kPictureSize.height() - 16.0;
}

namespace {

// The words of a legend entry whose sign takes the first 32 pixels.
double DrawLegendWords(QPainter& painter, double x, double y, const QString& words) {
  painter.setPen(kInk);
  const double textX = x + 32.0;
  DrawTextAt(painter, QPointF(textX, y), words, Qt::AlignLeft | Qt::AlignVCenter);
  return textX + painter.fontMetrics().horizontalAdvance(words) + 22.0;
}

}  // namespace

double DrawLegendLine(QPainter& painter, double x, double y, const QPen& pen,
                      const QString& words) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(pen);
  painter.drawLine(QPointF(x, y), QPointF(x + 26.0, y));
  return DrawLegendWords(painter, x, y, words);
}

double DrawLegendDot(QPainter& painter, double x, double y, const QString& words) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSex);
  painter.drawEllipse(QPointF(x + 13.0, y), 4.0, 4.0);
  return DrawLegendWords(painter, x, y, words);
}

double DrawLegendPatch(QPainter& painter, double x, double y, const QColor& fill,
                       const QString& words) {
  painter.fillRect(QRectF(x + 5.0, y - 7.0, 16.0, 14.0), fill);
  return DrawLegendWords(painter, x, y, words);
}

namespace {

// A cell's value as a label: three significant digits at most, so that a
// value of a log scale (.000316227766016838) does not crowd its neighbours.
QString CellLabel(double value) {
  char rounded[32];
  std::snprintf(rounded, sizeof rounded, "%.3g", value);
  return NumberLabel(std::strtod(rounded, nullptr));
}

// Every `every`-th cell labelled with its own value.
std::vector<Tick> CellTicks(const std::vector<double>& values, std::size_t every) {
  std::vector<Tick> ticks;
  for (std::size_t i = 0; i < values.size(); i += every) {
    ticks.push_back({static_cast<double>(i), CellLabel(values[i])});
  }
  return ticks;
}

}  // namespace

std::vector<Tick> GridTicks(const std::vector<double>& values, bool logScale, bool eachFewCell) {
  if (values.empty()) return {};
  if (eachFewCell && values.size() <= kMostTicks) return CellTicks(values, 1);
  // On a log axis the cells stand evenly in log10 of their values: round
  // values are placed among the logarithms.
  std::vector<double> positions = values;
  if (logScale) {
    for (double& position : positions) position = std::log10(position);
  }
  const std::vector<double> rounds = logScale
                                         ? LogAxisTicks(values.front(), values.back(), kMostTicks)
                                         : AxisTicks(values.front(), values.back(), kMostTicks);
  const double n = static_cast<double>(values.size());
  std::vector<Tick> ticks;
  for (const double value : rounds) {
    const IndexPosition position = PositionAmong(positions, logScale ? std::log10(value) : value);
    if (!position.valid) {
      ticks.clear();
      break;
    }
    if (position.index < -0.5 - 1e-9 || position.index > n - 0.5 + 1e-9) continue;
    ticks.push_back({position.index, NumberLabel(value)});
  }
  if (!ticks.empty()) return ticks;
  return CellTicks(values, (values.size() + kMostTicks - 1) / kMostTicks);
}

QImage RenderDrawingImage(const PictureDrawing& drawing) {
  QImage image(kPictureSize, QImage::Format_RGB32);
  QPainter painter(&image);
  drawing.paint(painter);
  painter.end();
  return image;
}

namespace {

bool WriteSvg(const PictureDrawing& drawing, QIODevice& device, QString* error) {
  QSvgGenerator generator;
  generator.setOutputDevice(&device);
  generator.setSize(kPictureSize);
  generator.setViewBox(QRect(QPoint(0, 0), kPictureSize));
  generator.setResolution(96);
  generator.setTitle(drawing.title);
  generator.setDescription(drawing.description);
  QPainter painter;
  if (!painter.begin(&generator)) {
    if (error != nullptr) *error = QStringLiteral("cannot draw into the SVG file");
    return false;
  }
  drawing.paint(painter);
  painter.end();
  return true;
}

}  // namespace

bool WriteDrawing(const PictureDrawing& drawing, const QString& path, QString* error) {
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  return WritePictureFile(
      path,
      [&](QIODevice& device, QString* drawError) {
        if (svg) return WriteSvg(drawing, device, drawError);
        if (RenderDrawingImage(drawing).save(&device, "PNG")) return true;
        if (drawError != nullptr) *drawError = QStringLiteral("cannot write the PNG image");
        return false;
      },
      error);
}

}  // namespace recmod::drawing
