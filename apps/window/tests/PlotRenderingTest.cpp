#include <QTest>
class PlotRenderingTest : public QObject {
  Q_OBJECT
};
QTEST_MAIN(PlotRenderingTest)
#include "PlotRenderingTest.moc"
