// The window of recmod: every parameter field, the run options, the feature
// check boxes and the plot of the haplotype frequencies.
#include <QApplication>

#include "MainWindow.hpp"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("recmod"));
  recmod::MainWindow window;
  window.Load();
  window.show();
  return QApplication::exec();
}
