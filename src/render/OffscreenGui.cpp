#include "OffscreenGui.hpp"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>
#include <cstdio>

namespace recmod {

namespace {

char kProgramName[] = "recmod";

QtMessageHandler gPreviousHandler = nullptr;

// While the application starts, the platform's notes on its setup (such as
// a runtime directory chosen for want of XDG_RUNTIME_DIR) say nothing to a
// user who asked for a picture; errors still pass.
void KeepOnlyErrors(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtCriticalMsg && type != QtFatalMsg) return;
  if (gPreviousHandler != nullptr) {
    gPreviousHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
  }
}

}  // namespace

OffscreenGui::OffscreenGui() {
  if (QGuiApplication::instance() != nullptr) return;
  // Whatever display the environment names: pictures are drawn in memory.
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  argv_[0] = kProgramName;
  gPreviousHandler = qInstallMessageHandler(KeepOnlyErrors);
  application_ = std::make_unique<QGuiApplication>(argc_, argv_);
  qInstallMessageHandler(gPreviousHandler);
}

OffscreenGui::~OffscreenGui() = default;

}  // namespace recmod
