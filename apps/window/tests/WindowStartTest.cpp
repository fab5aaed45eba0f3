#include <QTest>
class WindowStartTest : public QObject {
  Q_OBJECT
};
QTEST_MAIN(WindowStartTest)
#include "WindowStartTest.moc"
