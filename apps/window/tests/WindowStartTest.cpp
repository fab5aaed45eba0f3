// Starts from the window: the plot of a single run at the start-up values,
// the two refusals, live output fields, Stop, End during a start, run-time
// errors, the loop over S and K, and the modal message box itself.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "WindowTestSupport.hpp"
#include "output/ReportFiles.hpp"

using namespace recmod;
using recmod::test::OpenWindow;

namespace {

const QColor kRed(192, 0, 0);
const QColor kBlue(0, 0, 255);

void Enter(OpenWindow& open, int index, const QString& text) {
  open.typeInto(index, text);
  open.pressTab();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The lines of a report file, each checked to end in CR LF.
QList<QByteArray> ReportLines(const QString& path) {
  const QByteArray content = ReadAll(path);
  if (content.isEmpty() || !content.endsWith("\r\n")) return {};
  QList<QByteArray> lines = content.split('\n');
  lines.removeLast();
  for (QByteArray& line : lines) {
    if (!line.endsWith('\r')) return {};
    line.chop(1);
  }
  return lines;
}

QStringList Entries(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

// A window whose report files go to a fresh directory, typed into txt 30.
struct WindowWithDirectory {
  OpenWindow open;
  QTemporaryDir dir;
  WindowWithDirectory() { Enter(open, 30, dir.path() + QLatin1Char('/')); }
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

}  // namespace

class WindowStartTest : public QObject {
  Q_OBJECT

 private slots:
  // At the start-up values the R+ class keeps a half of the population: the
  // red curves fill the lower half and the blue ones the upper half, each at
  // the row its cumulative frequency in "ReportFile1.txt" gives.
  void aSingleRunDrawsRedCurvesBelowBlueOnesAtTheRowsOfItsReport() {
    WindowWithDirectory w;
    QVERIFY(w.open.startAndWait());
    QVERIFY(w.open.messages().isEmpty());

    const QList<QByteArray> lines = ReportLines(w.path("ReportFile1.txt"));
    QCOMPARE(lines.size(), 251);
    QCOMPARE(lines[0], QByteArray("ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'"));

    const QImage& image = w.open.pictBox()->image();
    QCOMPARE(image.size(), QSize(611, 301));
    int redSeen = 0;
    for (int generation : {5, 60, 120, 200, 240}) {
      const QList<QByteArray> fields = lines[generation].split('\t');
      QCOMPARE(fields.size(), 9);  // eight numbers, each followed by a TAB
      const int column = static_cast<int>(generation * 611.0 / 250.0);
      std::vector<int> rows;
      for (int j = 0; j < 8; ++j) {
        const double c = fields[j].trimmed().toDouble();
        rows.push_back(static_cast<int>(std::lround(300.0 * (1.0 - c))));
      }
      auto near = [&](int row, const QColor& colour) {
        for (int y = std::max(0, row - 1); y <= std::min(300, row + 1); ++y) {
          if (image.pixelColor(column, y) == colour) return true;
        }
        return false;
      };
      // Blue curves are drawn last, so each shows where it lies.
      for (int j = 4; j < 8; ++j) {
        QVERIFY2(near(rows[static_cast<std::size_t>(j)], kBlue),
                 qPrintable(QStringLiteral("g %1 curve %2").arg(generation).arg(j + 1)));
      }
      // A red curve shows unless a blue one covers its row.
      for (int j = 0; j < 4; ++j) {
        const bool covered = std::any_of(rows.begin() + 4, rows.end(), [&](int row) {
          return std::abs(row - rows[static_cast<std::size_t>(j)]) <= 1;
        });
        if (covered) continue;
        QVERIFY2(near(rows[static_cast<std::size_t>(j)], kRed),
                 qPrintable(QStringLiteral("g %1 curve %2").arg(generation).arg(j + 1)));
        ++redSeen;
      }
      // Red lies below blue: no red pixel above the lowest blue one.
      int lowestBlue = -1;
      int highestRed = 301;
      for (int y = 0; y < 301; ++y) {
        if (image.pixelColor(column, y) == kBlue) lowestBlue = std::max(lowestBlue, y);
        if (image.pixelColor(column, y) == kRed) highestRed = std::min(highestRed, y);
      }
      QVERIFY(lowestBlue >= 0);
      QVERIFY2(highestRed >= lowestBlue - 1, qPrintable(QString::number(generation)));
      // The total lies on the top row.
      QCOMPARE(rows[7], 0);
      QCOMPARE(image.pixelColor(column, 0), kBlue);
    }
    QVERIFY(redSeen >= 5);

    // The plot stays, and so does the window's state.
    QVERIFY(w.open.txt(1)->isEnabled());
    QCOMPARE(w.open.button("Start")->text(), QStringLiteral("Start simulation"));
    QCOMPARE(w.open.lab(23)->text(), QStringLiteral("250"));

    // Saving writes what the screen shows.
    const QString png = w.dir.filePath(QStringLiteral("plot.png"));
    QVERIFY(w.open.pictBox()->SavePlot(png));
    QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32),
             image.convertToFormat(QImage::Format_RGB32));
  }

  void blankFieldRefusesTheStartWithItsMessageAndTouchesNoFile() {
    WindowWithDirectory w;
    QFile sentinel(w.path("ReportFile1.txt"));
    QVERIFY(sentinel.open(QIODevice::WriteOnly));
    sentinel.write("kept\r\n");
    sentinel.close();

    Enter(w.open, 0, QString());
    QCOMPARE(w.open.txt(0)->text(), QString());
    QVERIFY(w.open.startAndWait());
    QCOMPARE(w.open.messages(), QStringList{QStringLiteral("One or more value are needed!")});
    // Only the record of the start, which says that it was refused, is new.
    QStringList entries = Entries(w.dir);
    entries.sort();
    QCOMPARE(entries,
             (QStringList{QStringLiteral("ReportFile1.txt"), QStringLiteral("recmod-run.json")}));
    QCOMPARE(ReadAll(w.path("ReportFile1.txt")), QByteArray("kept\r\n"));
    QVERIFY(w.open.txt(1)->isEnabled());
  }

  void haplotypeFrequenciesNotSummingToOneRefuseTheStart() {
    WindowWithDirectory w;
    w.open.click(w.open.checkBox("LinkageDisequilibrium"));
    Enter(w.open, 13, QStringLiteral("0.5"));
    QCOMPARE(w.open.txt(22)->text(), QStringLiteral(" 1.2"));
    QVERIFY(w.open.startAndWait());
    QCOMPARE(w.open.messages(), QStringList{QStringLiteral("ab+Ab+aB+Ab frequencies <> 1!")});
    QCOMPARE(Entries(w.dir), QStringList{QStringLiteral("recmod-run.json")});
    QVERIFY(w.open.txt(13)->isEnabled());
    QVERIFY(w.open.option(0)->isEnabled());
  }

  // Without a test hook the message is a modal box titled "recmod" with one
  // OK button, shown by the window's thread although the start runs on
  // another.
  void refusalIsAModalBoxWithOneOkButton() {
    WindowWithDirectory w;
    w.open.window().setMessageFunction({});
    Enter(w.open, 1, QString());

    QString seenTitle, seenText;
    QMessageBox::StandardButtons seenButtons;
    bool seenModal = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      seenTitle = box->windowTitle();
      seenText = box->text();
      seenButtons = box->standardButtons();
      seenModal = box->isModal();
      box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    QVERIFY(w.open.startAndWait(20000));
    poll.stop();
    QCOMPARE(seenTitle, QStringLiteral("recmod"));
    QCOMPARE(seenText, QStringLiteral("One or more value are needed!"));
    QCOMPARE(seenButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(seenModal);
    QCOMPARE(Entries(w.dir), QStringList{QStringLiteral("recmod-run.json")});
  }

  // A refused start shows its message over the window as it was before the
  // click: inputs enabled and the button reading "Start simulation". Refused
  // by the start itself (a blank field) or by a directory that another start
  // is writing (here one held by the test), touching no file.
  void aRefusedStartShowsItsMessageOverTheIdleWindow() {
    for (const bool busy : {false, true}) {
      WindowWithDirectory w;
      ReportFiles other;
      if (busy) {
        OpenReportFile(other, w.dir.path().toStdString(), 2);
      } else {
        Enter(w.open, 1, QString());
      }
      QStringList texts;
      QStringList looks;
      w.open.window().setMessageFunction([&](const QString& text) {
        texts << text;
        looks << QStringLiteral("%1, inputs %2, options %3")
                     .arg(w.open.button("Start")->text())
                     .arg(w.open.txt(3)->isEnabled())
                     .arg(w.open.option(2)->isEnabled());
      });
      QVERIFY(w.open.startAndWait());
      QCOMPARE(looks, QStringList{QStringLiteral("Start simulation, inputs 1, options 1")});
      QVERIFY2(texts[0].startsWith(busy ? QStringLiteral("File error: ")
                                        : QStringLiteral("One or more value are needed!")),
               qPrintable(texts[0]));
      QVERIFY(!busy || texts[0].contains(QStringLiteral("another start is writing")));
      // A refused start records that it was refused, unless another start
      // holds the directory: then it touches nothing there.
      QCOMPARE(Entries(w.dir), busy ? QStringList{QStringLiteral("ReportFile2.txt")}
                                    : QStringList{QStringLiteral("recmod-run.json")});
    }
  }

  // A long loop over Log10(N): the output fields change while it runs, the
  // window takes no input but Stop, and Stop ends it after a generation with
  // report files that hold every line written so far.
  void stopDuringALongStartLeavesValidFilesAndAnEnabledWindow() {
    WindowWithDirectory w;
    w.open.click(w.open.option(3));
    Enter(w.open, 8, QStringLiteral("10000"));
    Enter(w.open, 17, QStringLiteral("10000"));
    Enter(w.open, 19, QStringLiteral("20"));
    QSignalSpy finished(&w.open.window(), &MainWindow::startFinished);
    w.open.click(w.open.button("Start"));
    QVERIFY(w.open.window().isRunning());
    QCOMPARE(w.open.button("Start")->text(), QStringLiteral("Stop"));
    for (int index : {0, 1, 7, 8, 17, 18, 19, 30}) QVERIFY(!w.open.txt(index)->isEnabled());
    for (int k = 0; k < 4; ++k) QVERIFY(!w.open.option(k)->isEnabled());
    QVERIFY(!w.open.checkBox("RecombForR")->isEnabled());
    QVERIFY(!w.open.button("ToggleAllelesNumber")->isEnabled());
    QVERIFY(w.open.button("EndProgram_0")->isEnabled());

    // Live: the loop position shows while the start runs.
    QTRY_COMPARE_WITH_TIMEOUT(w.open.txt(39)->text(), QStringLiteral(" 1"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.open.txt(40)->text().trimmed().toInt() >= 2, 20000);
    QVERIFY(w.open.window().isRunning());

    w.open.click(w.open.button("Start"));
    QVERIFY(finished.count() == 1 || finished.wait(20000));
    QVERIFY(!w.open.window().isRunning());

    const QList<QByteArray> results = ReportLines(w.path("ReportFile2.txt"));
    QVERIFY(results.size() >= 2);
    QCOMPARE(results[0], QByteArray("N = 1"));
    for (qsizetype i = 1; i < results.size(); ++i) {
      bool number = false;
      const double value = results[i].trimmed().toDouble(&number);
      QVERIFY2(number && value >= 0.0 && value <= 1.0, results[i].constData());
    }
    QCOMPARE(ReportLines(w.path("ReportFile3.txt")), QList<QByteArray>{"N\tMean\tS.D."});

    QCOMPARE(w.open.button("Start")->text(), QStringLiteral("Start simulation"));
    for (int index : {0, 1, 7, 8, 17, 18, 19, 30}) QVERIFY(w.open.txt(index)->isEnabled());
    for (int k = 0; k < 4; ++k) QVERIFY(w.open.option(k)->isEnabled());
    QVERIFY(w.open.checkBox("RecombForR")->isEnabled());
    QVERIFY(!w.open.txt(9)->isEnabled());
    QVERIFY(w.open.messages().isEmpty());

    // And the window starts again.
    Enter(w.open, 8, QStringLiteral("2"));
    Enter(w.open, 17, QStringLiteral("10"));
    Enter(w.open, 19, QStringLiteral("2"));
    QVERIFY(w.open.startAndWait());
    QCOMPARE(ReportLines(w.path("ReportFile3.txt")).size(), 4);
  }

  void endDuringAStartStopsItThenClosesTheWindow() {
    WindowWithDirectory w;
    Enter(w.open, 17, QStringLiteral("10000"));
    // A hundred demes make the start long enough to be ended in its course,
    // even in an optimised build.
    Enter(w.open, 10, QStringLiteral("100"));
    w.open.click(w.open.option(1));
    QSignalSpy finished(&w.open.window(), &MainWindow::startFinished);
    w.open.click(w.open.button("Start"));
    QVERIFY(w.open.window().isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(ReportLines(w.path("ReportFile1.txt")).size() > 0 ||
                                 QFile(w.path("ReportFile1.txt")).size() > 0,
                             10000);
    w.open.click(w.open.button("EndProgram_0"));
    QVERIFY(finished.count() == 1 || finished.wait(20000));
    QTRY_VERIFY(!w.open.window().isVisible());
    const QList<QByteArray> lines = ReportLines(w.path("ReportFile1.txt"));
    QVERIFY(lines.size() >= 2);
    QVERIFY(lines.size() < 10001);
    for (qsizetype i = 1; i < lines.size(); ++i) QCOMPARE(lines[i].count('\t'), 8);
  }

  void aFileErrorDuringAStartIsReportedAndTheWindowStaysUsable() {
    WindowWithDirectory w;
    // A directory, not empty, where the report file should be created.
    QVERIFY(QDir(w.dir.path()).mkpath(QStringLiteral("ReportFile1.txt/inside")));
    QVERIFY(w.open.startAndWait());
    QCOMPARE(w.open.messages().size(), 1);
    QVERIFY2(w.open.messages().first().startsWith(QStringLiteral("File error")),
             qPrintable(w.open.messages().first()));
    QVERIFY(w.open.txt(1)->isEnabled());
    QVERIFY(w.open.option(2)->isEnabled());
    QCOMPARE(w.open.button("Start")->text(), QStringLiteral("Start simulation"));

    QVERIFY(QDir(w.path("ReportFile1.txt")).removeRecursively());
    w.open.clearMessages();
    QVERIFY(w.open.startAndWait());
    QVERIFY(w.open.messages().isEmpty());
    QCOMPARE(ReportLines(w.path("ReportFile1.txt")).size(), 251);
  }

  void theLoopOverSAndKShowsItsPositionAndLeavesAnEmptyPlot() {
    WindowWithDirectory w;
    w.open.click(w.open.option(2));
    Enter(w.open, 17, QStringLiteral("10"));
    QVERIFY(w.open.startAndWait());
    QVERIFY(w.open.messages().isEmpty());
    const QList<QByteArray> lines = ReportLines(w.path("ReportFile2.txt"));
    QCOMPARE(lines.size(), 860);
    QCOMPARE(lines[0], QByteArray("K\tu= 1E-05 s= .01"));
    QCOMPARE(w.open.txt(37)->text(), QStringLiteral(" .2"));
    QCOMPARE(w.open.txt(38)->text(), QStringLiteral(" 1.2"));
    QVERIFY(w.open.pictBox()->Snapshot().operations.empty());
    const QImage& image = w.open.pictBox()->image();
    QCOMPARE(image.pixelColor(300, 0), QColor(224, 255, 224));
    QVERIFY(!QFile::exists(w.path("ReportFile1.txt")));
  }
};

QTEST_MAIN(WindowStartTest)
#include "WindowStartTest.moc"
