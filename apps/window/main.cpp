// The window of recmod: every parameter field, the run options, the feature
// check boxes and the plot of the haplotype frequencies.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "MainWindow.hpp"
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
  window.Load();
  window.show();
  return QApplication::exec();
}
