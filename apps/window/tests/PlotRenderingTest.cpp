// The one rendering of a recorded plot: pixels where the surface's
// coordinates say, in the two colours over the background, and the same
// drawing in PNG and SVG files. Runs with a QGuiApplication only, as the
// batch program does.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "render/PlotRendering.hpp"

using namespace recmod;

namespace {

const QColor kRed(192, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kBackground(224, 255, 224);

// A small plot: a red point in the bottom-left corner, a red horizontal
// line across the middle, a blue line along the top row, and a blue line
// over the right part of the red one.
RecordedPlot SamplePlot() {
  RecordingPlotSurface surface(611.0F, 301.0F);
  surface.SetColour(kSexColour);
  surface.DrawPoint(0.0F, 300.0F);
  surface.DrawLine(0.0F, 150.0F, 610.0F, 150.0F);
  surface.SetColour(kAsexColour);
  surface.DrawLine(0.0F, 0.0F, 610.0F, 0.0F);
  surface.DrawLine(400.0F, 150.0F, 610.0F, 150.0F);
  return surface.plot();
}

int CountColour(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour ? 1 : 0;
  }
  return count;
}

}  // namespace

class PlotRenderingTest : public QObject {
  Q_OBJECT

 private slots:
  void pixelsLieAtTheSurfaceCoordinatesWithTheBottomRowAtHeightMinusOne() {
    const QImage image = RenderPlotImage(SamplePlot());
    QCOMPARE(image.size(), QSize(611, 301));
    QCOMPARE(image.pixelColor(0, 300), kRed);
    QCOMPARE(image.pixelColor(1, 300), kBackground);
    QCOMPARE(image.pixelColor(0, 299), kBackground);
    for (int x = 0; x < 400; x += 37) QCOMPARE(image.pixelColor(x, 150), kRed);
    // Drawn later, the blue segment covers the red one.
    for (int x = 401; x <= 610; x += 23) QCOMPARE(image.pixelColor(x, 150), kBlue);
    for (int x = 0; x <= 610; x += 61) QCOMPARE(image.pixelColor(x, 0), kBlue);
    // One pixel wide, no anti-aliasing: only the three colours occur.
    QCOMPARE(image.pixelColor(200, 149), kBackground);
    QCOMPARE(image.pixelColor(200, 151), kBackground);
    const int red = CountColour(image, kRed);
    const int blue = CountColour(image, kBlue);
    QCOMPARE(red + blue + CountColour(image, kBackground), 611 * 301);
    QCOMPARE(blue, 611 + 211);
    QCOMPARE(red, 1 + 400);
  }

  void anEmptyPlotIsTheBackgroundAlone() {
    const QImage image = RenderPlotImage(RecordedPlot{});
    QCOMPARE(CountColour(image, kBackground), 611 * 301);
  }

  void pngAndSvgFilesHoldTheSameDrawing() {
    QTemporaryDir dir;
    const RecordedPlot plot = SamplePlot();
    const QString png = dir.filePath(QStringLiteral("plot.png"));
    const QString svg = dir.filePath(QStringLiteral("plot.SVG"));
    QString error;
    QVERIFY2(RenderPlot(plot, png, &error), qPrintable(error));
    QVERIFY2(RenderPlot(plot, svg, &error), qPrintable(error));

    QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32),
             RenderPlotImage(plot).convertToFormat(QImage::Format_RGB32));

    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBox(), QRect(0, 0, 611, 301));
    QImage drawn(611, 301, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    // Drawn back, the vector file puts every stroke on the pixels of the
    // image (allowing for smoothed ends).
    const QImage image = RenderPlotImage(plot).convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < 301; ++y) {
      for (int x = 0; x < 611; ++x) {
        const QColor a = image.pixelColor(x, y);
        const QColor b = drawn.pixelColor(x, y);
        if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                std::abs(a.blue() - b.blue()) >
            60) {
          ++differing;
        }
      }
    }
    QVERIFY2(differing <= 8, qPrintable(QString::number(differing)));
    QCOMPARE(drawn.pixelColor(100, 150), kRed);
    QCOMPARE(drawn.pixelColor(500, 150), kBlue);
  }

  void anUnwritablePathIsReportedNotIgnored() {
    QTemporaryDir dir;
    for (const char* name : {"missing/plot.png", "missing/plot.svg"}) {
      QString error;
      QVERIFY(!RenderPlot(SamplePlot(), dir.filePath(QString::fromLatin1(name)), &error));
      QVERIFY(!error.isEmpty());
    }
  }
};

QTEST_MAIN(PlotRenderingTest)
#include "PlotRenderingTest.moc"
