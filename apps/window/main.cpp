// The window of recmod: every parameter field, the run options, the feature
// check boxes and the plot of the haplotype frequencies.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "MainWindow.hpp"
#include "WindowSignals.hpp"
#include "lanes/LanePath.hpp"
#include "version/BuildInfo.hpp"

int main(int argc, char* argv[]) {
  // The one option of its own, so that an installed window can say what it
  // is without opening; everything else is the toolkit's.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("recmod %s (%s)\n", recmod::ProgramVersion(), recmod::SourceRevision());
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("recmod"));
  try {
    recmod::ActiveLanePath();
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "recmod: %s\n", error.what());
    QMessageBox::critical(nullptr, QStringLiteral("recmod"), QString::fromUtf8(error.what()));
    return 2;
  }
  recmod::MainWindow window;
  // SIGTERM and its kind end the window as they end the batch program: the
  // start stops after its generation, its record says "stopped", and the
  // program ends with 128 + the signal's number.
  const recmod::WindowSignals endSignals(window.simulator().stopRequested);
  QObject::connect(&endSignals, &recmod::WindowSignals::received, &window,
                   [&window](int number) { window.EndWithStatus(128 + number); });
  window.Load();
  window.show();
  const int status = QApplication::exec();
  if (const int number = recmod::WindowSignals::ReceivedSignal(); number != 0) {
    std::fprintf(stderr, "recmod: %s: ended; the report files keep every complete line\n",
                 recmod::SignalName(number).c_str());
  }
  return status;
}
