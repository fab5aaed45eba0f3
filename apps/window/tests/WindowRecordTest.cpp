// The window under locales with a decimal comma reads and writes numbers as
// under the C locale, and every start leaves its record, from which the
// batch program repeats it byte for byte.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdlib>

#include "WindowTestSupport.hpp"
#include "support/GeneratedLocales.hpp"

using namespace recmod;
using recmod::test::OpenWindow;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QJsonObject Record(const QTemporaryDir& dir) {
  return QJsonDocument::fromJson(ReadAll(dir.filePath(QStringLiteral("recmod-run.json")))).object();
}

// A start typed as a user types it; returns the report file it wrote.
QByteArray TypedStart(const QTemporaryDir& dir, int option) {
  OpenWindow open;
  auto enter = [&](int index, const QString& text) {
    open.typeInto(index, text);
    open.pressTab();
  };
  enter(30, dir.path() + QLatin1Char('/'));
  open.click(open.option(option));
  enter(2, QStringLiteral("0.05"));
  enter(20, QStringLiteral("0,3"));
  enter(7, QStringLiteral("1.5e-1"));
  enter(17, QStringLiteral("40.9"));
  if (option == 2) enter(17, QStringLiteral("10"));
  if (!open.startAndWait() || !open.messages().isEmpty()) return {};
  // What the fields show was written by the program, not by the locale.
  if (open.txt(20)->text() != QStringLiteral("0.3"))
    return "field 20: " + open.txt(20)->text().toUtf8();
  const char* name = option == 2 ? "ReportFile2.txt" : "ReportFile1.txt";
  return ReadAll(dir.filePath(QString::fromLatin1(name)));
}

}  // namespace

class WindowRecordTest : public QObject {
  Q_OBJECT

 private slots:
  void commaLocalesGiveTheReportFilesOfTheCLocale() {
    const std::string locales = recmod::testing::GeneratedLocaleDirectory();
    QVERIFY2(!locales.empty(), "localedef could not generate the locales");
    ::setenv("LOCPATH", locales.c_str(), 1);
    for (const int option : {0, 2}) {
      std::setlocale(LC_ALL, "C");
      QTemporaryDir reference;
      const QByteArray expected = TypedStart(reference, option);
      QVERIFY(expected.startsWith(option == 2 ? "K\tu=" : "ab\t"));
      for (const char* locale : recmod::testing::kCommaLocales) {
        // As the toolkit does at start-up under LC_ALL=<locale>.
        QVERIFY(std::setlocale(LC_ALL, locale) != nullptr);
        QTemporaryDir dir;
        const QByteArray written = TypedStart(dir, option);
        QVERIFY2(written == expected, locale);
      }
    }
    std::setlocale(LC_ALL, "C");
  }

  // Two finite starts draw two seeds; each record lets the batch program
  // make the same file again.
  void everyFiniteStartHasASeedAndIsRepeatedByTheBatchProgram() {
    QTemporaryDir dir;
    OpenWindow open;
    open.typeInto(30, dir.path() + QLatin1Char('/'));
    open.pressTab();
    open.click(open.option(1));
    open.typeInto(17, QStringLiteral("30"));
    open.pressTab();
    QVERIFY(open.startAndWait());
    const QJsonObject first = Record(dir);
    const QByteArray firstReport = ReadAll(dir.filePath(QStringLiteral("ReportFile1.txt")));
    QVERIFY(open.startAndWait());
    const QJsonObject second = Record(dir);
    QCOMPARE(first[QStringLiteral("status")].toString(), QStringLiteral("done"));
    QCOMPARE(first[QStringLiteral("front_end")].toString(), QStringLiteral("window"));
    QVERIFY(first[QStringLiteral("seed")].isDouble());
    QVERIFY(first[QStringLiteral("seed")] != second[QStringLiteral("seed")]);
    QVERIFY(ReadAll(dir.filePath(QStringLiteral("ReportFile1.txt"))) != firstReport);

    // The second start again, from its record alone.
    QTemporaryDir again;
    QProcess batch;
    batch.start(QStringLiteral(RECMOD_BATCH_PATH),
                {QStringLiteral("--repeat"), dir.filePath(QStringLiteral("recmod-run.json")),
                 QStringLiteral("--dir"), again.path(), QStringLiteral("--quiet")});
    QVERIFY(batch.waitForFinished(60000));
    QCOMPARE(batch.exitCode(), 0);
    QCOMPARE(ReadAll(again.filePath(QStringLiteral("ReportFile1.txt"))),
             ReadAll(dir.filePath(QStringLiteral("ReportFile1.txt"))));
  }

  void aRefusedStartIsRecordedWithItsMessage() {
    QTemporaryDir dir;
    OpenWindow open;
    open.typeInto(30, dir.path() + QLatin1Char('/'));
    open.pressTab();
    open.typeInto(0, QString());
    open.pressTab();
    QVERIFY(open.startAndWait());
    const QJsonObject record = Record(dir);
    QCOMPARE(record[QStringLiteral("status")].toString(), QStringLiteral("refused"));
    QCOMPARE(record[QStringLiteral("message")].toString(),
             QStringLiteral("One or more value are needed!"));
    QVERIFY(record[QStringLiteral("report_files")].toArray().isEmpty());
  }
};

QTEST_MAIN(WindowRecordTest)
#include "WindowRecordTest.moc"
