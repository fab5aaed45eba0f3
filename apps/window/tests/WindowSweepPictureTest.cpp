// The picture of a sweep from the window: after a loop the picture box is
// empty, and its context menu offers "Save sweep picture…", which writes the
// same picture as the batch program draws from the report files. Driven as a
// user does: right click, menu entry, file dialog.
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "WindowTestSupport.hpp"
#include "render/SweepRendering.hpp"

using namespace recmod;
using recmod::test::OpenWindow;

namespace {

const QString kSavePlot = QStringLiteral("Save plot as…");
const QString kSaveSweep = QStringLiteral("Save sweep picture…");
const QString kSaveTable = QStringLiteral("Save results table…");

void Enter(OpenWindow& open, int index, const QString& text) {
  open.typeInto(index, text);
  open.pressTab();
}

// Runs `act` on the first popup or modal window of type T that opens, while
// the main loop waits in a menu or a dialog. One that never comes closes
// whatever is open after ten seconds, so that the test fails instead of
// waiting for ever.
template <class T>
void WhenOpened(const std::function<void(T*)>& act) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
    T* open = qobject_cast<T*>(QApplication::activePopupWidget());
    if (open == nullptr) open = qobject_cast<T*>(QApplication::activeModalWidget());
    if (open == nullptr && ++*ticks < 500) return;
    timer->stop();
    timer->deleteLater();
    if (open != nullptr) {
      act(open);
      return;
    }
    for (QWidget* stuck : {QApplication::activePopupWidget(), QApplication::activeModalWidget()}) {
      if (stuck != nullptr) stuck->close();
    }
  });
  timer->start();
}

// Right-clicks the picture box and returns the entries of its menu; chooses
// `choose` when it is one of them, otherwise closes the menu.
QStringList RightClickMenu(PictureBox* box, const QString& choose = {}) {
  QStringList entries;
  WhenOpened<QMenu>([&entries, choose](QMenu* menu) {
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      entries << action->text();
      if (action->text() == choose) chosen = action;
    }
    if (chosen != nullptr) {
      menu->setActiveAction(chosen);
      QTest::keyClick(menu, Qt::Key_Return);
    } else {
      menu->close();
    }
  });
  // Through the window, as the platform delivers a click: the press of the
  // right button asks for the context menu.
  QWidget* window = box->window();
  QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                    box->mapTo(window, box->rect().center()));
  QApplication::processEvents();
  return entries;
}

}  // namespace

class WindowSweepPictureTest : public QObject {
  Q_OBJECT

 private slots:
  void afterALoopTheContextMenuSavesTheSweepPicture() {
    OpenWindow open;
    QTemporaryDir dir;
    Enter(open, 30, dir.path() + QLatin1Char('/'));
    open.click(open.option(2));
    Enter(open, 17, QStringLiteral("30"));
    Enter(open, 20, QStringLiteral(".4"));
    // A small grid keeps the loop short.
    open.sim().sSweep = {0.05, 0.2, 0.05};
    open.sim().kSweep = {0.9, 1.1, 0.05};

    QCOMPARE(RightClickMenu(open.pictBox()), QStringList{kSavePlot});
    QVERIFY(open.startAndWait());
    QVERIFY(open.messages().isEmpty());
    // The box is empty, as a loop leaves it.
    QVERIFY(open.pictBox()->Snapshot().operations.empty());
    QCOMPARE(open.pictBox()->image().pixelColor(300, 150), QColor(224, 255, 224));

    // Right click, "Save sweep picture…", a name typed into the dialog.
    const QString path = dir.filePath(QStringLiteral("sweep.png"));
    WhenOpened<QFileDialog>([path](QFileDialog* dialog) {
      dialog->selectFile(path);
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    QCOMPARE(RightClickMenu(open.pictBox(), kSaveSweep),
             (QStringList{kSavePlot, kSaveSweep, kSaveTable}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 10000);
    QApplication::processEvents();

    // The picture is the one drawn from the report files, centred on the
    // start frequency of R+ in the window.
    SweepPicture expected{ReadSweepReports(dir.path().toStdString()), 0.4};
    QCOMPARE(std::get<SkSweep>(expected.results).columns.size(), std::size_t{4});
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), RenderSweepImage(expected));

    // The results table: a name without ending gets ".csv"; one row per run
    // of the 4 x 5 grid, S-major.
    const QString table = dir.filePath(QStringLiteral("results"));
    WhenOpened<QFileDialog>([table](QFileDialog* dialog) {
      dialog->selectFile(table);
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    RightClickMenu(open.pictBox(), kSaveTable);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(table + QStringLiteral(".csv")), 10000);
    QFile csv(table + QStringLiteral(".csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    QCOMPARE(rows.size(), 1 + 20 + 1);  // header, runs, the empty text after the last LF
    QCOMPARE(rows.front(), QByteArray("S,K,final_rplus"));
    QVERIFY(rows[1].startsWith("0.05,0.9,"));

    // A FIFO chosen in a save dialog is refused without being opened (an
    // open would wait for a reader and freeze the window).
    const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const bool saveTable : {true, false}) {
      QString error;
      QVERIFY(!(saveTable ? open.pictBox()->SaveResultsTable(fifo, &error)
                          : open.pictBox()->SaveSweepPicture(fifo, &error)));
      QVERIFY2(error.contains(QStringLiteral("a FIFO is in the way")), qPrintable(error));
    }

    // As a drawing too.
    const QString svg = dir.filePath(QStringLiteral("sweep.svg"));
    QVERIFY(open.pictBox()->SaveSweepPicture(svg));
    QVERIFY(QFile(svg).size() > 0);

    // A single run replaces the sweep: the menu offers its plot only.
    open.click(open.option(0));
    QVERIFY(open.startAndWait());
    QVERIFY(!open.pictBox()->HasSweepPicture());
    QCOMPARE(RightClickMenu(open.pictBox()), (QStringList{kSavePlot, kSaveTable}));
  }

  void theLoopOverLog10NOffersItsChartAndARefusedStartOffersNothing() {
    OpenWindow open;
    QTemporaryDir dir;
    Enter(open, 30, dir.path() + QLatin1Char('/'));
    open.click(open.option(3));
    Enter(open, 17, QStringLiteral("20"));
    Enter(open, 18, QStringLiteral("1"));
    Enter(open, 19, QStringLiteral("2"));
    Enter(open, 8, QStringLiteral("3"));
    QVERIFY(open.startAndWait());
    QVERIFY(open.pictBox()->HasSweepPicture());
    const QString path = dir.filePath(QStringLiteral("chart.png"));
    QVERIFY(open.pictBox()->SaveSweepPicture(path));
    SweepPicture expected{ReadSweepReports(dir.path().toStdString()), 0.5};
    QCOMPARE(std::get<Log10NSweep>(expected.results).points.size(), std::size_t{3});
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), RenderSweepImage(expected));

    // A start refused for a blank field: no sweep of its own to offer.
    Enter(open, 0, QString());
    QVERIFY(open.startAndWait());
    QCOMPARE(open.messages(), QStringList{QStringLiteral("One or more value are needed!")});
    QVERIFY(!open.pictBox()->HasSweepPicture());
    QVERIFY(!open.pictBox()->SaveSweepPicture(dir.filePath(QStringLiteral("none.png"))));
    QVERIFY(!open.pictBox()->HasResultsTable());
  }
};

QTEST_MAIN(WindowSweepPictureTest)
#include "WindowSweepPictureTest.moc"
