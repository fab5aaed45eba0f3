// Times one start of the window under the offscreen platform, driven as a
// user would: choose the run option, type the fields, click "Start
// simulation", wait until the window takes input again. Prints the seconds
// from the click to the end of the start.
//   recmod-window-timing [--mode 0..3] [--loci 3] [INDEX=TEXT ...]
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>

#include "WindowTestSupport.hpp"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  recmod::test::OpenWindow open;
  const QStringList arguments = QApplication::arguments().mid(1);
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--mode") && i + 1 < arguments.size()) {
      open.click(open.option(arguments[++i].toInt()));
    } else if (argument == QLatin1String("--loci") && i + 1 < arguments.size()) {
      if (arguments[++i] == QLatin1String("3")) open.click(open.button("ToggleAllelesNumber"));
    } else if (argument.contains(QLatin1Char('='))) {
      const qsizetype equals = argument.indexOf(QLatin1Char('='));
      open.typeInto(argument.left(equals).toInt(), argument.mid(equals + 1));
      open.pressTab();
    } else {
      std::fprintf(stderr,
                   "usage: recmod-window-timing [--mode 0..3] [--loci 3] [INDEX=TEXT ...]\n");
      return 2;
    }
  }
  QSignalSpy finished(&open.window(), &recmod::MainWindow::startFinished);
  QElapsedTimer clock;
  clock.start();
  open.click(open.button("Start"));
  if (finished.count() == 0 && !finished.wait(3600 * 1000)) return 1;
  const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  for (const QString& message : open.messages()) {
    std::fprintf(stderr, "message: %s\n", qPrintable(message));
  }
  std::printf("%.3f\n", seconds);
  return open.messages().isEmpty() ? 0 : 1;
}
