// The couplings between run options, check boxes and fields, and the
// normalisation of typed numbers, driven through the widgets by clicks, key
// presses and focus changes.
#include <QApplication>
#include <QTest>

#include "WindowTestSupport.hpp"
#include "model/HaplotypeTables.hpp"

using namespace recmod;
using recmod::test::OpenWindow;

namespace {

bool PlotIsEmpty(const PictureBox* box) {
  const QImage& image = box->image();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) != QColor(224, 255, 224)) return false;
    }
  }
  return true;
}

// Types into a field and leaves it with Tab, as a user finishes an entry.
void Enter(OpenWindow& open, int index, const QString& text) {
  open.typeInto(index, text);
  open.pressTab();
}

}  // namespace

class WindowInterplayTest : public QObject {
  Q_OBJECT

 private slots:
  void togglingLociTwiceReturnsToTwoLociAndClearsThePlotBothTimes() {
    OpenWindow open;
    QTemporaryDir dir;
    Enter(open, 30, dir.path() + QLatin1Char('/'));
    Enter(open, 17, QStringLiteral("10"));
    QVERIFY(open.startAndWait());
    QVERIFY(!PlotIsEmpty(open.pictBox()));

    open.click(open.button("ToggleAllelesNumber"));
    QCOMPARE(open.allelesNumber()->text(), QStringLiteral("3"));
    QVERIFY(open.txt(6)->isEnabled());
    QVERIFY(open.labl(6)->isEnabled());
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isEnabled());
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isChecked());
    for (int index = 0; index < 16; ++index) QVERIFY(open.lab4(index)->isVisible());
    for (int index : {3, 5, 6, 7, 8, 9, 10, 11}) QVERIFY(open.lab(index)->isVisible());
    QCOMPARE(open.sim().tables.HaplotypeCount, 8);
    QVERIFY(PlotIsEmpty(open.pictBox()));

    // A three-locus run draws 16 curves; the next switch clears them again.
    QVERIFY(open.startAndWait());
    QVERIFY(!PlotIsEmpty(open.pictBox()));
    QCOMPARE(open.pictBox()->Snapshot().operations.size(), std::size_t{16 * 10});
    open.click(open.button("ToggleAllelesNumber"));
    QCOMPARE(open.allelesNumber()->text(), QStringLiteral("2"));
    QVERIFY(!open.txt(6)->isEnabled());
    QVERIFY(open.labl(6)->isEnabled());
    QVERIFY(open.checkBox("LinkageDisequilibrium")->isEnabled());
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isChecked());
    for (int index = 0; index < 16; ++index) QVERIFY(!open.lab4(index)->isVisible());
    QCOMPARE(open.sim().tables.HaplotypeCount, 4);
    QVERIFY(PlotIsEmpty(open.pictBox()));
    QVERIFY(open.messages().isEmpty());
  }

  void linkageDisequilibriumEntryOpensWithTheBoxAndClosesWithThreeLoci() {
    OpenWindow open;
    open.click(open.checkBox("LinkageDisequilibrium"));
    QVERIFY(open.checkBox("LinkageDisequilibrium")->isChecked());
    for (int index : {13, 14, 15, 16}) {
      QVERIFY(open.txt(index)->isEnabled());
      QVERIFY(open.labl(index)->isEnabled());
    }
    QVERIFY(open.labl(21)->isEnabled() && open.labl(22)->isEnabled());
    QVERIFY(!open.txt(21)->isEnabled() && !open.txt(22)->isEnabled());

    // Total and D follow the four frequencies when a field is left.
    Enter(open, 14, QStringLiteral("0.3"));
    Enter(open, 16, QStringLiteral("0.3"));
    QCOMPARE(open.txt(22)->text(), QStringLiteral(" 1.2"));
    QCOMPARE(open.txt(22)->palette().color(QPalette::Disabled, QPalette::Base), QColor(192, 0, 0));
    Enter(open, 14, QStringLiteral("0.2"));
    Enter(open, 16, QStringLiteral("0.2"));
    QCOMPARE(open.txt(22)->text(), QStringLiteral(" 1"));
    QCOMPARE(open.txt(21)->text(), QStringLiteral(" 0"));
    QCOMPARE(open.txt(22)->palette().color(QPalette::Disabled, QPalette::Base),
             QColor(192, 255, 224));

    // Three loci untick the box, close the entry and disable the box.
    open.click(open.button("ToggleAllelesNumber"));
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isChecked());
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isEnabled());
    for (int index : {13, 14, 15, 16}) {
      QVERIFY(!open.txt(index)->isEnabled());
      QVERIFY(!open.labl(index)->isEnabled());
    }
    QVERIFY(!open.labl(21)->isEnabled() && !open.labl(22)->isEnabled());
    // A click on the disabled box does nothing.
    open.click(open.checkBox("LinkageDisequilibrium"));
    QVERIFY(!open.checkBox("LinkageDisequilibrium")->isChecked());
    QVERIFY(!open.sim().controls.Ticked(CheckBox::LinkageDisequilibrium));
  }

  void runOptionsSetTheirFlagsAndEnableTheirFields() {
    OpenWindow open;
    open.click(open.option(3));
    QVERIFY(open.option(3)->isChecked());
    for (int index : {8, 18, 19, 39, 40}) QVERIFY(open.txt(index)->isEnabled());
    for (int index : {8, 39, 40}) QVERIFY(open.labl(index)->isEnabled());
    QVERIFY(!open.txt(9)->isEnabled());
    QVERIFY(open.checkBox("GeneticDrift")->isChecked());
    QVERIFY(open.sim().runMode.LoopOverLog10N && !open.sim().runMode.SingleRun);

    open.click(open.option(2));
    const RunMode& mode = open.sim().runMode;
    QVERIFY(mode.LoopOverSK && mode.InfinitePopulation && !mode.SingleRun && !mode.LoopOverLog10N);
    QVERIFY(open.txt(37)->isEnabled() && open.txt(38)->isEnabled());
    QVERIFY(open.labl(37)->isEnabled() && open.labl(38)->isEnabled());
    for (int index : {8, 18, 19, 39, 40}) QVERIFY(!open.txt(index)->isEnabled());
    QVERIFY(!open.checkBox("GeneticDrift")->isChecked());

    open.click(open.option(0));
    QVERIFY(mode.SingleRun && mode.InfinitePopulation && !mode.LoopOverSK && !mode.LoopOverLog10N);
    for (int index : {8, 9, 18, 19, 37, 38, 39, 40}) QVERIFY(!open.txt(index)->isEnabled());
    for (int index : {8, 9, 37, 38, 39, 40}) QVERIFY(!open.labl(index)->isEnabled());
    QVERIFY(!open.checkBox("GeneticDrift")->isChecked());

    // The arrow keys move the choice within the group and run the handler.
    QTest::keyClick(open.option(0), Qt::Key_Down);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(open.option(1)));
    QVERIFY(open.option(1)->isChecked());
    QVERIFY(open.txt(9)->isEnabled() && open.labl(9)->isEnabled());
    QVERIFY(open.sim().runMode.SingleRun && !open.sim().runMode.InfinitePopulation);
    QVERIFY(open.checkBox("GeneticDrift")->isChecked());
  }

  // The handler runs when an option button receives the focus, not when it
  // is toggled: a click on the selected button after the focus was elsewhere
  // runs it again, a click while it has the focus does not.
  void clickingTheSelectedOptionAgainAfterLeavingItReTicksGeneticDrift() {
    OpenWindow open;
    open.click(open.option(1));
    QVERIFY(open.checkBox("GeneticDrift")->isChecked());
    open.click(open.checkBox("GeneticDrift"));
    QVERIFY(!open.checkBox("GeneticDrift")->isChecked());
    QVERIFY(!open.sim().controls.Ticked(CheckBox::GeneticDrift));

    open.click(open.txt(2));
    open.click(open.option(1));
    QVERIFY(open.checkBox("GeneticDrift")->isChecked());
    QVERIFY(open.sim().controls.Ticked(CheckBox::GeneticDrift));

    // Already focused: the click changes nothing.
    open.sim().controls.tick[static_cast<std::size_t>(CheckBox::GeneticDrift)] = 0;
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(open.option(1)));
    open.click(open.option(1));
    QVERIFY(!open.sim().controls.Ticked(CheckBox::GeneticDrift));
  }

  void exactSamplingBoxSwitchesTheSamplingSchemeOnly() {
    OpenWindow open;
    QCheckBox* box = open.checkBox("ExactSampling");
    QVERIFY(box->isEnabled());
    QVERIFY(!box->isChecked());
    QCOMPARE(open.sim().controls.Tick(CheckBox::ExactSampling), 0);
    const RunMode before = open.sim().runMode;
    open.click(box);
    QVERIFY(box->isChecked());
    QCOMPARE(open.sim().controls.Tick(CheckBox::ExactSampling), 1);
    QCOMPARE(open.sim().runMode.SingleRun, before.SingleRun);
    // It holds across the validation pass that leaving a field runs.
    Enter(open, 2, QStringLiteral("0.2"));
    QVERIFY(box->isChecked());
    open.click(box);
    QCOMPARE(open.sim().controls.Tick(CheckBox::ExactSampling), 0);
  }

  void inversionOfSGovernsSinusoidalVariation() {
    OpenWindow open;
    QCheckBox* inversion = open.checkBox("InversionOfS");
    QCheckBox* sinusoidal = open.checkBox("SinusoidalOption");
    open.click(inversion);
    QVERIFY(inversion->isChecked());
    QVERIFY(open.txt(12)->isEnabled());
    QVERIFY(sinusoidal->isEnabled() && !sinusoidal->isChecked());
    open.click(sinusoidal);
    QVERIFY(sinusoidal->isChecked());
    QVERIFY(open.sim().controls.Ticked(CheckBox::SinusoidalOption));

    open.click(inversion);
    QVERIFY(!inversion->isChecked());
    QVERIFY(!open.txt(12)->isEnabled());
    QVERIFY(!sinusoidal->isEnabled() && !sinusoidal->isChecked());
    QVERIFY(!open.sim().controls.Ticked(CheckBox::SinusoidalOption));

    open.click(inversion);
    QVERIFY(sinusoidal->isEnabled() && !sinusoidal->isChecked());
  }

  void demesDecideInterdemicDiffusionAtEveryValidation() {
    OpenWindow open;
    Enter(open, 10, QStringLiteral("3"));
    QVERIFY(open.checkBox("InterdemicDiffusion")->isChecked());
    QVERIFY(open.txt(11)->isEnabled());
    Enter(open, 10, QStringLiteral("1"));
    QVERIFY(!open.checkBox("InterdemicDiffusion")->isChecked());
    QVERIFY(!open.txt(11)->isEnabled());

    // Ticked by hand with one deme: the field opens until the next pass.
    open.click(open.checkBox("InterdemicDiffusion"));
    QVERIFY(open.txt(11)->isEnabled());
    Enter(open, 2, QStringLiteral("0.2"));
    QVERIFY(!open.checkBox("InterdemicDiffusion")->isChecked());
    QVERIFY(!open.txt(11)->isEnabled());
  }

  void typedNumbersAreNormalisedWhenTheFieldIsLeft() {
    OpenWindow open;
    Enter(open, 7, QStringLiteral("1,5"));
    QCOMPARE(open.txt(7)->text(), QStringLiteral(" 1"));
    QCOMPARE(open.sim().controls.Text(7), std::string(" 1"));
    Enter(open, 20, QStringLiteral(".5"));
    QCOMPARE(open.txt(20)->text(), QStringLiteral("0.5"));
    Enter(open, 4, QStringLiteral("0,02"));
    QCOMPARE(open.txt(4)->text(), QStringLiteral("0.02"));
    Enter(open, 2, QStringLiteral("-2"));
    QCOMPARE(open.txt(2)->text(), QStringLiteral("-.99"));
    Enter(open, 17, QStringLiteral("99.9"));
    QCOMPARE(open.txt(17)->text(), QStringLiteral("99"));
    QCOMPARE(open.lab(23)->text(), QStringLiteral("99"));
    Enter(open, 17, QStringLiteral("20000"));
    QCOMPARE(open.txt(17)->text(), QStringLiteral(" 10000"));
    QCOMPARE(open.lab(23)->text(), QStringLiteral(" 10000"));
    QVERIFY(open.messages().isEmpty());
  }

  // A run-time error inside a handler is reported by a message naming it,
  // and the window goes on taking input.
  void aRunTimeErrorInAHandlerIsReportedAndTheWindowStaysUsable() {
    OpenWindow open;
    Enter(open, 2, QStringLiteral("1e999"));
    QCOMPARE(open.messages().size(), 1);
    QVERIFY2(open.messages().first().startsWith(QStringLiteral("Overflow")),
             qPrintable(open.messages().first()));
    // Every pass meets the text again until it is corrected: leaving txt 3
    // to correct it reports once more, leaving the corrected field does not.
    open.typeInto(2, QStringLiteral("0.2"));
    QCOMPARE(open.messages().size(), 2);
    open.pressTab();
    QCOMPARE(open.messages().size(), 2);
    QCOMPARE(open.txt(2)->text(), QStringLiteral("0.2"));
    QVERIFY(open.txt(3)->isEnabled());
  }

  void endBetweenRunsClosesTheWindowWithoutAMessage() {
    OpenWindow open;
    open.click(open.button("EndProgram_0"));
    QVERIFY(!open.window().isVisible());
    QVERIFY(open.messages().isEmpty());
  }
};

QTEST_MAIN(WindowInterplayTest)
#include "WindowInterplayTest.moc"
