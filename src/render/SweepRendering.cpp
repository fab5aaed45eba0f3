#include "SweepRendering.hpp"

#include "PictureFile.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "QtColour.hpp"
#include "output/sweep/AxisTicks.hpp"
#include "output/sweep/ContourLines.hpp"
#include "output/sweep/DivergingColourScale.hpp"

namespace recmod {

namespace {

const QColor kSex(192, 0, 0);
const QColor kInk(0, 0, 0);
const QColor kMissing(214, 214, 214);
const QColor kGrid(228, 228, 228);
const QColor kStartLine(70, 70, 70);
const QColor kStandardErrorFill(244, 188, 188);

constexpr int kTickLength = 5;
constexpr int kMostTicks = 6;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QFont PictureFont(int pixelSize, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// Text with its anchor point placed by `alignment` (left, centre or right;
// top, centre or bottom).
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

// Text running upwards, centred on `centre`.
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
  DrawTextAt(painter, QPointF(kSweepPictureSize.width() / 2.0, 16.0), title, Qt::AlignCenter);
}

// A frame one pixel outside the plot's edges.
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

// The labelled ticks of one axis of the heat map: round values placed among
// the values of the cells, or, when those do not increase, the cells' own
// values.
struct Tick {
  double index = 0.0;  // in cells, 0 at the first cell's centre
  QString label;
};

std::vector<Tick> GridTicks(const std::vector<double>& values) {
  std::vector<Tick> ticks;
  if (values.empty()) return ticks;
  const double n = static_cast<double>(values.size());
  for (const double value : AxisTicks(values.front(), values.back(), kMostTicks)) {
    const IndexPosition position = PositionAmong(values, value);
    if (!position.valid) {
      ticks.clear();
      break;
    }
    if (position.index < -0.5 - 1e-9 || position.index > n - 0.5 + 1e-9) continue;
    ticks.push_back({position.index, Text(PictureNumberText(value))});
  }
  if (!ticks.empty()) return ticks;
  const std::size_t every = (values.size() + kMostTicks - 1) / kMostTicks;
  for (std::size_t i = 0; i < values.size(); i += every) {
    ticks.push_back({static_cast<double>(i), Text(PictureNumberText(values[i]))});
  }
  return ticks;
}

GridValues ResultsGrid(const SkSweep& sweep) {
  GridValues grid;
  for (const SkSweepColumn& column : sweep.columns) grid.push_back(column.results);
  return grid;
}

// A short line for the legend of a line drawn in `pen`, then its words.
double DrawLegendLine(QPainter& painter, double x, double y, const QPen& pen,
                      const QString& words) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(pen);
  painter.drawLine(QPointF(x, y), QPointF(x + 26.0, y));
  painter.setPen(kInk);
  const double textX = x + 32.0;
  DrawTextAt(painter, QPointF(textX, y), words, Qt::AlignLeft | Qt::AlignVCenter);
  return textX + painter.fontMetrics().horizontalAdvance(words) + 22.0;
}

void PaintHeatMap(QPainter& painter, const SkSweep& sweep, const ColourScaleRange& range) {
  const double startFrequency = range.centre;
  const HeatMapLayout layout = LayoutHeatMap(sweep, range);
  auto colourOf = [&](double value) {
    return ToQColor(DivergingColour(value, range.low, startFrequency, range.high));
  };
  const std::vector<double>& kValues = sweep.RowValues();
  DrawTitle(painter, QStringLiteral("Final frequency of R+ over S and K (u = %1)")
                         .arg(Text(PictureNumberText(sweep.u))));

  // Cells without smoothing, so that neighbours meet without a seam.
  painter.setRenderHint(QPainter::Antialiasing, false);
  bool anyMissing = false;
  for (int column = 0; column < layout.columns; ++column) {
    const SkSweepColumn& results = sweep.columns[static_cast<std::size_t>(column)];
    for (int row = 0; row < layout.rows; ++row) {
      const auto slot = static_cast<std::size_t>(row);
      const bool missing = slot >= results.results.size();
      anyMissing = anyMissing || missing;
      painter.fillRect(layout.Cell(column, row),
                       missing ? kMissing : colourOf(results.results[slot]));
    }
  }
  DrawFrame(painter, layout.plot);
  if (layout.columns == 0 || layout.rows == 0) DrawNoRuns(painter, layout.plot);

  // Where R+ ends at its start frequency.
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QPen contourPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(contourPen);
  for (const ContourSegment& segment : ContourSegments(ResultsGrid(sweep), startFrequency)) {
    painter.drawLine(layout.GridPoint(segment.x1, segment.y1),
                     layout.GridPoint(segment.x2, segment.y2));
  }

  // Axes: ticks, their values and the titles.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(PictureFont(13));
  painter.setPen(QPen(kInk, 1));
  const QRectF& plot = layout.plot;
  std::vector<double> sValues;
  for (const SkSweepColumn& column : sweep.columns) sValues.push_back(column.s);
  for (const Tick& tick : GridTicks(sValues)) {
    const double x = std::round(layout.GridPoint(tick.index, 0.0).x());
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
    DrawTextAt(painter, QPointF(x, plot.bottom() + kTickLength + 2.0), tick.label,
               Qt::AlignHCenter | Qt::AlignTop);
  }
  for (const Tick& tick : GridTicks(kValues)) {
    const double y = std::round(layout.GridPoint(0.0, tick.index).y());
    painter.drawLine(QPointF(plot.left() - 1.0 - kTickLength, y), QPointF(plot.left() - 1.0, y));
    DrawTextAt(painter, QPointF(plot.left() - kTickLength - 4.0, y), tick.label,
               Qt::AlignRight | Qt::AlignVCenter);
  }
  painter.setFont(PictureFont(15, true));
  DrawTextAt(painter, QPointF(plot.center().x(), plot.bottom() + 40.0), QStringLiteral("S"),
             Qt::AlignHCenter | Qt::AlignTop);
  DrawTextAt(painter, QPointF(plot.left() - 62.0, plot.center().y()), QStringLiteral("K"),
             Qt::AlignCenter);

  // The colour bar: the range's high end at the top, its low end at the
  // bottom, white at the start frequency.
  const QRectF& bar = layout.colourBar;
  const int top = static_cast<int>(bar.top());
  const int height = static_cast<int>(bar.height());
  // The row nearest the start frequency shows it exactly: white.
  const int startRow = static_cast<int>(layout.ColourBarY(startFrequency)) - top;
  for (int y = 0; y < height; ++y) {
    const double span = layout.barHigh - layout.barLow;
    double frequency =
        height > 1 ? layout.barHigh - span * static_cast<double>(y) / (height - 1) : layout.barHigh;
    if (y == startRow) frequency = startFrequency;
    painter.fillRect(QRectF(bar.left(), top + y, bar.width(), 1.0), colourOf(frequency));
  }
  DrawFrame(painter, bar);
  painter.setFont(PictureFont(13));
  const double barRight = bar.right() + 1.0;
  const double startY = layout.ColourBarY(startFrequency);
  for (const double frequency : {startFrequency, layout.barLow, layout.barHigh}) {
    const double y = layout.ColourBarY(frequency);
    // An end too near the start frequency leaves its label to it.
    if (frequency != startFrequency && std::abs(y - startY) < 16.0) continue;
    painter.drawLine(QPointF(barRight, y), QPointF(barRight + kTickLength, y));
    QString label = Text(PictureNumberText(frequency));
    if (frequency == startFrequency) label += QStringLiteral(" start");
    DrawTextAt(painter, QPointF(barRight + kTickLength + 3.0, y), label,
               Qt::AlignLeft | Qt::AlignVCenter);
  }
  // The half-width, so that pictures with different ranges are not misread.
  DrawTextAt(painter, QPointF(bar.center().x(), bar.bottom() + 8.0),
             QStringLiteral("±%1").arg(Text(PictureNumberText(range.halfWidth))),
             Qt::AlignHCenter | Qt::AlignTop);
  painter.setFont(PictureFont(14, true));
  DrawUpwardText(painter, QPointF(kSweepPictureSize.width() - 18.0, bar.center().y()),
                 QStringLiteral("Final R+ frequency"));

  // Legend.
  painter.setFont(PictureFont(13));
  const double legendY = kSweepPictureSize.height() - 16.0;
  double x = plot.left();
  x = DrawLegendLine(painter, x, legendY, contourPen,
                     QStringLiteral("R+ ends at its start frequency (%1)")
                         .arg(Text(PictureNumberText(startFrequency))));
  DrawTextAt(painter, QPointF(x, legendY),
             QStringLiteral("red: R+ gained, blue: R+ lost") +
                 (anyMissing ? QStringLiteral(", grey: no run") : QString()),
             Qt::AlignLeft | Qt::AlignVCenter);
}

// The population sizes of the loop itself (every other one, or fewer, when
// there are many), so that every tick stands under a bar.
std::vector<double> Log10NTicks(const Log10NSweep& sweep, const Log10NChartLayout& layout) {
  constexpr std::size_t kMostSizeTicks = 12;
  if (sweep.points.empty()) return AxisTicks(layout.xLow, layout.xHigh, kMostTicks);
  const std::size_t every = (sweep.points.size() + kMostSizeTicks - 1) / kMostSizeTicks;
  std::vector<double> ticks;
  for (std::size_t i = 0; i < sweep.points.size(); i += every) {
    ticks.push_back(static_cast<double>(sweep.points[i].log10N));
  }
  return ticks;
}

void PaintLog10NChart(QPainter& painter, const Log10NSweep& sweep, double startFrequency) {
  const Log10NChartLayout layout = LayoutLog10NChart(sweep);
  const QRectF& plot = layout.plot;
  DrawTitle(painter, QStringLiteral("Mean final frequency of R+ against Log10(N)"));

  // Horizontal grid lines at the frequency ticks.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(PictureFont(13));
  const std::vector<double> frequencyTicks = AxisTicks(0.0, 1.0, kMostTicks);
  for (const double frequency : frequencyTicks) {
    const double y = std::round(layout.At(layout.xLow, frequency).y());
    painter.setPen(QPen(kGrid, 1));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(QPen(kInk, 1));
    painter.drawLine(QPointF(plot.left() - 1.0 - kTickLength, y), QPointF(plot.left() - 1.0, y));
    DrawTextAt(painter, QPointF(plot.left() - kTickLength - 4.0, y),
               Text(PictureNumberText(frequency)), Qt::AlignRight | Qt::AlignVCenter);
  }
  for (const double log10N : Log10NTicks(sweep, layout)) {
    const double x = std::round(layout.At(log10N, 0.0).x());
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
    DrawTextAt(painter, QPointF(x, plot.bottom() + kTickLength + 2.0),
               Text(PictureNumberText(log10N)), Qt::AlignHCenter | Qt::AlignTop);
  }
  painter.setFont(PictureFont(15, true));
  DrawTextAt(painter, QPointF(plot.center().x(), plot.bottom() + 40.0), QStringLiteral("Log10(N)"),
             Qt::AlignHCenter | Qt::AlignTop);
  DrawUpwardText(painter, QPointF(plot.left() - 58.0, plot.center().y()),
                 QStringLiteral("R+ frequency"));

  // The start frequency, dashed.
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QPen startPen(kStartLine, 1.5, Qt::DashLine);
  painter.setPen(startPen);
  const double startY = layout.At(layout.xLow, startFrequency).y();
  painter.drawLine(QPointF(plot.left(), startY), QPointF(plot.right(), startY));

  // Bars, joined means and the means themselves, kept inside the plot.
  painter.save();
  painter.setClipRect(plot);
  constexpr double kErrorHalfWidth = 8.0;
  constexpr double kCapHalfWidth = 6.0;
  for (const Log10NSweepPoint& point : sweep.points) {
    const double standardError =
        point.runs > 0 ? point.standardDeviation / std::sqrt(static_cast<double>(point.runs)) : 0.0;
    const QPointF low = layout.At(point.log10N, point.mean - 2.0 * standardError);
    const QPointF high = layout.At(point.log10N, point.mean + 2.0 * standardError);
    painter.fillRect(QRectF(QPointF(high.x() - kErrorHalfWidth, high.y()),
                            QPointF(low.x() + kErrorHalfWidth, low.y())),
                     kStandardErrorFill);
  }
  const QPen deviationPen(kSex, 2.0, Qt::SolidLine, Qt::FlatCap);
  painter.setPen(deviationPen);
  for (const Log10NSweepPoint& point : sweep.points) {
    const QPointF low = layout.At(point.log10N, point.mean - point.standardDeviation);
    const QPointF high = layout.At(point.log10N, point.mean + point.standardDeviation);
    painter.drawLine(low, high);
    painter.drawLine(low - QPointF(kCapHalfWidth, 0.0), low + QPointF(kCapHalfWidth, 0.0));
    painter.drawLine(high - QPointF(kCapHalfWidth, 0.0), high + QPointF(kCapHalfWidth, 0.0));
  }
  painter.setPen(QPen(kSex, 1.0));
  QPainterPath means;
  for (const Log10NSweepPoint& point : sweep.points) {
    const QPointF at = layout.At(point.log10N, point.mean);
    if (means.elementCount() == 0) {
      means.moveTo(at);
    } else {
      means.lineTo(at);
    }
  }
  painter.drawPath(means);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSex);
  for (const Log10NSweepPoint& point : sweep.points) {
    painter.drawEllipse(layout.At(point.log10N, point.mean), 4.0, 4.0);
  }
  painter.restore();
  DrawFrame(painter, plot);
  if (sweep.points.empty()) DrawNoRuns(painter, plot);

  // Legend.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setFont(PictureFont(13));
  const double legendY = kSweepPictureSize.height() - 16.0;
  double x = plot.left();
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSex);
  painter.drawEllipse(QPointF(x + 13.0, legendY), 4.0, 4.0);
  painter.setPen(kInk);
  DrawTextAt(painter, QPointF(x + 32.0, legendY), QStringLiteral("mean"),
             Qt::AlignLeft | Qt::AlignVCenter);
  x += 32.0 + painter.fontMetrics().horizontalAdvance(QStringLiteral("mean")) + 22.0;
  x = DrawLegendLine(painter, x, legendY, deviationPen, QStringLiteral("± 1 S.D."));
  painter.fillRect(QRectF(x + 5.0, legendY - 7.0, 16.0, 14.0), kStandardErrorFill);
  painter.setPen(kInk);
  DrawTextAt(painter, QPointF(x + 32.0, legendY), QStringLiteral("± 2 S.E."),
             Qt::AlignLeft | Qt::AlignVCenter);
  x += 32.0 + painter.fontMetrics().horizontalAdvance(QStringLiteral("± 2 S.E.")) + 22.0;
  DrawLegendLine(
      painter, x, legendY, startPen,
      QStringLiteral("start frequency of R+ (%1)").arg(Text(PictureNumberText(startFrequency))));
}

bool WriteSvg(const SweepPicture& picture, QIODevice& device, QString* error) {
  QSvgGenerator generator;
  generator.setOutputDevice(&device);
  generator.setSize(kSweepPictureSize);
  generator.setViewBox(QRect(QPoint(0, 0), kSweepPictureSize));
  generator.setResolution(96);
  generator.setTitle(QStringLiteral("recmod sweep"));
  generator.setDescription(std::holds_alternative<SkSweep>(picture.results)
                               ? QStringLiteral("Final R+ frequency over S and K")
                               : QStringLiteral("Mean final R+ frequency against Log10(N)"));
  QPainter painter;
  if (!painter.begin(&generator)) {
    if (error != nullptr) *error = QStringLiteral("cannot draw into the SVG file");
    return false;
  }
  PaintSweepPicture(painter, picture);
  painter.end();
  return true;
}

}  // namespace

QRectF HeatMapLayout::Cell(int column, int row) const {
  auto edge = [](double origin, double length, int count, int index) {
    return origin + std::round(length * index / count);
  };
  const double x0 = edge(plot.left(), plot.width(), columns, column);
  const double x1 = edge(plot.left(), plot.width(), columns, column + 1);
  const double bottom = plot.top() + plot.height();
  const double y1 = bottom - std::round(plot.height() * row / rows);
  const double y0 = bottom - std::round(plot.height() * (row + 1) / rows);
  return {x0, y0, x1 - x0, y1 - y0};
}

QPointF HeatMapLayout::GridPoint(double column, double row) const {
  const double cellWidth = columns > 0 ? plot.width() / columns : plot.width();
  const double cellHeight = rows > 0 ? plot.height() / rows : plot.height();
  return {plot.left() + (column + 0.5) * cellWidth,
          plot.top() + plot.height() - (row + 0.5) * cellHeight};
}

double HeatMapLayout::ColourBarY(double frequency) const {
  const double span = barHigh > barLow ? barHigh - barLow : 1.0;
  return colourBar.top() + std::round((barHigh - frequency) / span * (colourBar.height() - 1.0));
}

HeatMapLayout LayoutHeatMap(const SkSweep& sweep) {
  HeatMapLayout layout;
  layout.plot = QRectF(90.0, 50.0, 530.0, 420.0);
  layout.colourBar = QRectF(650.0, 50.0, 24.0, 420.0);
  layout.columns = static_cast<int>(sweep.columns.size());
  layout.rows = static_cast<int>(sweep.RowValues().size());
  return layout;
}

QPointF Log10NChartLayout::At(double log10N, double frequency) const {
  return {plot.left() + (log10N - xLow) / (xHigh - xLow) * plot.width(),
          plot.top() + (1.0 - frequency) * plot.height()};
}

HeatMapLayout LayoutHeatMap(const SkSweep& sweep, const ColourScaleRange& range) {
  HeatMapLayout layout = LayoutHeatMap(sweep);
  layout.barLow = range.low;
  layout.barHigh = range.high;
  return layout;
}

ColourScaleRange HeatMapColourRange(const SweepPicture& picture) {
  std::vector<double> results;
  if (const auto* sk = std::get_if<SkSweep>(&picture.results)) {
    for (const SkSweepColumn& column : sk->columns) {
      results.insert(results.end(), column.results.begin(), column.results.end());
    }
  }
  return ColourScaleRangeOf(results, picture.startFrequency, picture.colourHalfWidth);
}

Log10NChartLayout LayoutLog10NChart(const Log10NSweep& sweep) {
  Log10NChartLayout layout;
  layout.plot = QRectF(90.0, 50.0, 630.0, 420.0);
  if (sweep.points.empty()) return layout;
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (const Log10NSweepPoint& point : sweep.points) {
    low = std::min(low, static_cast<double>(point.log10N));
    high = std::max(high, static_cast<double>(point.log10N));
  }
  // Half a step of the loop beyond the outer sizes, so no bar touches the frame.
  const double margin = high > low ? 0.25 : 0.5;
  layout.xLow = low - margin;
  layout.xHigh = high + margin;
  return layout;
}

void PaintSweepPicture(QPainter& painter, const SweepPicture& picture) {
  painter.fillRect(QRect(QPoint(0, 0), kSweepPictureSize), Qt::white);
  if (const auto* sk = std::get_if<SkSweep>(&picture.results)) {
    PaintHeatMap(painter, *sk, HeatMapColourRange(picture));
  } else {
    PaintLog10NChart(painter, std::get<Log10NSweep>(picture.results), picture.startFrequency);
  }
}

QImage RenderSweepImage(const SweepPicture& picture) {
  QImage image(kSweepPictureSize, QImage::Format_RGB32);
  QPainter painter(&image);
  PaintSweepPicture(painter, picture);
  painter.end();
  return image;
}

bool RenderSweepPicture(const SweepPicture& picture, const QString& path, QString* error) {
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  return WritePictureFile(
      path,
      [&](QIODevice& device, QString* drawError) {
        if (svg) return WriteSvg(picture, device, drawError);
        if (RenderSweepImage(picture).save(&device, "PNG")) return true;
        if (drawError != nullptr) *drawError = QStringLiteral("cannot write the PNG image");
        return false;
      },
      error);
}

}  // namespace recmod
