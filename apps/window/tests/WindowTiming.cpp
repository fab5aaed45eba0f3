// Times one start of the window under the offscreen platform, driven as a
// user would: choose the run option, type the fields, click "Start
// simulation", wait until the window takes input again. Prints the seconds
// from the click to the end of the start, then the processor seconds that
// all the program's threads (the start's worker and the window's drawing)
// spent meanwhile.
//   recmod-window-timing [--mode 0..3] [--loci 3] [INDEX=TEXT ...]
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

#include "WindowTestSupport.hpp"

namespace {
double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
}  // namespace

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
  const double processorBefore = ProcessorSeconds();
  clock.start();
  open.click(open.button("Start"));
  if (finished.count() == 0 && !finished.wait(3600 * 1000)) return 1;
  const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  const double processor = ProcessorSeconds() - processorBefore;
  for (const QString& message : open.messages()) {
    std::fprintf(stderr, "message: %s\n", qPrintable(message));
  }
  std::printf("%.3f %.3f\n", seconds, processor);
  return open.messages().isEmpty() ? 0 : 1;
}
