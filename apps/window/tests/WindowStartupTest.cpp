// The window as it opens: every control with its text, enabled, ticked and
// visible state, colours, fonts, the keyboard order, and captions that can
// be read in full.
#include <QApplication>
#include <QFontInfo>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "WindowLayout.hpp"
#include "WindowTestSupport.hpp"
#include "model/HaplotypeTables.hpp"

using namespace recmod;
using recmod::test::OpenWindow;

namespace {

QColor Colour(const QWidget* widget, QPalette::ColorRole role) {
  return widget->palette().color(QPalette::Active, role);
}

}  // namespace

class WindowStartupTest : public QObject {
  Q_OBJECT

 private slots:
  void fieldsShowTheStartUpTextsAndEnabledStates() {
    OpenWindow open;
    struct Expected {
      int index;
      const char* text;
      bool enabled;
    };
    const Expected fields[] = {
        {0, "1E-05", true}, {1, "1E-05", true}, {2, "0.1", true},   {3, "1", true},
        {4, "1", true},     {5, "1", true},     {6, "1", false},    {20, "0.5", true},
        {7, "0", true},     {10, "1", true},    {17, "250", true},  {11, "0.1", false},
        {12, "100", false}, {13, "0.3", false}, {14, "0.2", false}, {15, "0.3", false},
        {16, "0.2", false}, {22, "1", false},   {21, "0", false},   {30, "C:", true},
        {9, "6", false},    {8, "100", false},  {18, "1", false},   {19, "12", false},
        {37, "", false},    {38, "", false},    {39, "", false},    {40, "", false},
    };
    for (const Expected& field : fields) {
      const TextBox* box = open.txt(field.index);
      QCOMPARE(box->text(), QString::fromLatin1(field.text));
      QVERIFY2(box->isEnabled() == field.enabled, qPrintable(box->objectName()));
    }

    // Captions follow their fields in the loop and linkage entries only.
    for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 10, 17, 18, 20, 30}) {
      QVERIFY2(open.labl(index)->isEnabled(), qPrintable(open.labl(index)->objectName()));
    }
    for (int index : {8, 9, 13, 14, 15, 16, 21, 22, 37, 38, 39, 40}) {
      QVERIFY2(!open.labl(index)->isEnabled(), qPrintable(open.labl(index)->objectName()));
    }
  }

  void checkBoxesOptionsAndPlotFrameStartAsLoaded() {
    OpenWindow open;
    struct Box {
      const char* name;
      bool ticked;
      bool enabled;
    };
    const Box boxes[] = {
        {"RecombForR", true, true},
        {"TotalStochasticity", true, true},
        {"GeneticDrift", false, true},
        {"InterdemicDiffusion", false, true},
        {"InversionOfS", false, true},
        {"SinusoidalOption", false, false},
        {"LinkageDisequilibrium", false, true},
    };
    for (const Box& box : boxes) {
      QCheckBox* widget = open.checkBox(box.name);
      QVERIFY2(widget->isChecked() == box.ticked, box.name);
      QVERIFY2(widget->isEnabled() == box.enabled, box.name);
    }
    QVERIFY(open.option(0)->isChecked());
    for (int k = 1; k <= 3; ++k) QVERIFY(!open.option(k)->isChecked());
    const RunMode& mode = open.sim().runMode;
    QVERIFY(mode.SingleRun && mode.InfinitePopulation && !mode.LoopOverSK && !mode.LoopOverLog10N);

    QCOMPARE(open.allelesNumber()->text(), QStringLiteral("2"));
    QCOMPARE(open.sim().tables.HaplotypeCount, 4);
    QCOMPARE(open.lab(23)->text(), QStringLiteral("250"));
    for (int index = 0; index < 16; ++index) QVERIFY(!open.lab4(index)->isVisible());
    for (int index : {0, 1, 3, 5, 6, 7, 8, 9, 10, 11}) QVERIFY(open.lab(index)->isVisible());

    // The picture box is empty: nothing but its background.
    const QImage image = open.pictBox()->image();
    QCOMPARE(image.size(), QSize(611, 301));
    for (int y = 0; y < image.height(); y += 7) {
      for (int x = 0; x < image.width(); x += 7) {
        QCOMPARE(image.pixelColor(x, y), QColor(224, 255, 224));
      }
    }

    QCOMPARE(open.window().windowTitle(), QStringLiteral("recmod"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(open.txt(1)));
    QCOMPARE(open.button("Start")->text(), QStringLiteral("Start simulation"));
    QCOMPARE(open.button("EndProgram_0")->text(), QStringLiteral("End"));
    QCOMPARE(open.button("ToggleAllelesNumber")->text(), QStringLiteral("Alleles number (2/3)"));
  }

  void layoutIsTheFixedTwipLayoutAtFifteenTwipsAPixel() {
    OpenWindow open;
    QCOMPARE(open.window().size(), QSize(961, 559));
    QCOMPARE(open.window().minimumSize(), open.window().maximumSize());
    QCOMPARE(open.pictBox()->geometry(), QRect(336, 16, 611, 301));
    QCOMPARE(open.txt(30)->geometry(), QRect(504, 416, 181, 19));
    QCOMPARE(open.button("Start")->geometry(), QRect(736, 408, 113, 33));
    QCOMPARE(open.lab(20)->geometry(), QRect(296, 68, 9, 201));
    // The picture box's queue is the drawing surface, and its size is the one the
    // engine plots into.
    QCOMPARE(open.pictBox()->queue().DrawingWidth(), kPictureWidth);
    QCOMPARE(open.pictBox()->queue().DrawingHeight(), kPictureHeight);

    // txt 18 and 19 lie inside Option1 3 and over the gaps of its caption.
    const OptionButton* loop = open.option(3);
    const QRect from = open.txt(18)->geometry();
    const QRect to = open.txt(19)->geometry();
    QVERIFY(loop->geometry().contains(from.center()));
    QVERIFY(loop->geometry().contains(to.center()));
    QCOMPARE(loop->text(), QString::fromLatin1(kLoopLog10NCaption));
    const auto& pieces = loop->captionPieces();
    QCOMPARE(pieces.size(), std::size_t{3});
    for (const auto& piece : pieces) {
      const QRect drawn(loop->x() + piece.left, loop->y(), piece.width, loop->height());
      QVERIFY2(!drawn.intersects(from) && !drawn.intersects(to), qPrintable(piece.text));
    }
    QCOMPARE(pieces[0].text + QLatin1Char(' ') + pieces[1].text + QLatin1Char(' ') + pieces[2].text,
             QString::fromLatin1(kLoopLog10NCaption).simplified());
  }

  void coloursAndFontsMarkInputsOutputsAndTheTwoClasses() {
    OpenWindow open;
    for (int index : {0, 5, 13, 18, 21, 30}) {
      QCOMPARE(Colour(open.txt(index), QPalette::Base), QColor(192, 255, 224));
    }
    for (int index = 37; index <= 40; ++index) {
      QCOMPARE(Colour(open.txt(index), QPalette::Base), QColor(255, 255, 192));
      QCOMPARE(Colour(open.labl(index), QPalette::Window), QColor(255, 255, 192));
      QVERIFY(open.labl(index)->autoFillBackground());
    }
    for (int index : {2, 4, 20, 21, 22, 23}) {
      QCOMPARE(Colour(open.lab(index), QPalette::Window), QColor(192, 255, 255));
    }
    // R+ ("Sex", unprimed) in red, R- ("Asex", primed) in blue.
    for (int index : {1, 8, 9, 10, 11}) {
      QCOMPARE(Colour(open.lab(index), QPalette::WindowText), QColor(255, 0, 0));
      QVERIFY(!open.lab(index)->text().contains(QLatin1Char('\'')));
    }
    for (int index : {0, 3, 5, 6, 7}) {
      QCOMPARE(Colour(open.lab(index), QPalette::WindowText), QColor(0, 0, 255));
    }
    for (int index = 0; index < 16; ++index) {
      const QLabel* legend = open.lab4(index);
      QCOMPARE(Colour(legend, QPalette::Window), QColor(255, 255, 192));
      QCOMPARE(Colour(legend, QPalette::WindowText),
               index < 8 ? QColor(0, 0, 255) : QColor(255, 0, 0));
      QCOMPARE(legend->text().endsWith(QLatin1Char('\'')), index < 8);
    }
    QCOMPARE(Colour(open.allelesNumber(), QPalette::Window), QColor(255, 224, 192));
    QVERIFY(open.allelesNumber()->font().bold());
    QVERIFY(QFontInfo(open.lab(20)->font()).fixedPitch());
  }

  // Every caption can be read in full: its text is no wider than the space
  // its control gives it, at a font size that is still readable.
  void everyCaptionFitsItsControl() {
    OpenWindow open;
    QVERIFY(open.window().captionPixelSize() >= 8);
    int checked = 0;
    for (QLabel* label : open.window().findChildren<QLabel*>()) {
      const QFontMetrics metrics(label->font());
      QVERIFY2(QFontInfo(label->font()).pixelSize() >= 6, qPrintable(label->objectName()));
      if (label->wordWrap()) continue;
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
               qPrintable(label->objectName() + QLatin1String(": ") + label->text()));
      ++checked;
    }
    for (QCheckBox* box : open.window().findChildren<QCheckBox*>()) {
      const QFontMetrics metrics(box->font());
      // The box's indicator takes the room at its left.
      QStyleOptionButton option;
      option.initFrom(box);
      const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, box);
      QVERIFY2(indicator + metrics.horizontalAdvance(box->text()) <= box->width(),
               qPrintable(box->text()));
      ++checked;
    }
    for (OptionButton* option : open.window().findChildren<OptionButton*>()) {
      QVERIFY2(option->captionFits(), qPrintable(option->text()));
      ++checked;
    }
    for (QPushButton* button : open.window().findChildren<QPushButton*>()) {
      const QFontMetrics metrics(button->font());
      QVERIFY2(metrics.horizontalAdvance(button->text()) < button->width(),
               qPrintable(button->text()));
      ++checked;
    }
    QVERIFY(checked >= 70);

    // The vertical axis title stands one character a line, inside its label.
    const QLabel* title = open.lab(20);
    QVERIFY(title->wordWrap());
    const QFontMetrics metrics(title->font());
    QVERIFY(metrics.horizontalAdvance(QLatin1Char('F')) <= title->width());
    const QRect wrapped =
        metrics.boundingRect(title->contentsRect(), Qt::TextWordWrap, title->text());
    QVERIFY(wrapped.height() <= title->height());
    QVERIFY(wrapped.height() >= 11 * metrics.height());

    // The widest output the last-generation label shows.
    QVERIFY(QFontMetrics(open.lab(23)->font()).horizontalAdvance(QStringLiteral(" 10000")) <=
            open.lab(23)->width());
  }

  // Tab walks the enabled controls in the keyboard order and comes back to
  // txt 1; leaving the fields and entering the option group on the way
  // changes nothing.
  void tabVisitsTheEnabledControlsInKeyboardOrder() {
    OpenWindow open;
    const QStringList expected = {"txt_2",         "txt_3",
                                  "txt_4",         "txt_5",
                                  "txt_17",        "EndProgram_0",
                                  "Start",         "txt_7",
                                  "txt_30",        "Option1_0",
                                  "txt_10",        "TotalStochasticity",
                                  "GeneticDrift",  "InterdemicDiffusion",
                                  "InversionOfS",  "LinkageDisequilibrium",
                                  "txt_0",         "ToggleAllelesNumber",
                                  "RecombForR",    "txt_20",
                                  "ExactSampling", "txt_1"};
    QStringList visited;
    for (int step = 0; step < expected.size(); ++step) {
      open.pressTab();
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
    QCOMPARE(open.txt(17)->text(), QStringLiteral("250"));
    QVERIFY(!open.checkBox("GeneticDrift")->isChecked());
    QVERIFY(open.messages().isEmpty());
  }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
