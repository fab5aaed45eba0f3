// The picture module: the window's rendering behind two C entry points.
#include "PictureModule.hpp"

#include <QString>
#include <cstdio>

#include "render/OffscreenGui.hpp"
#include "render/PlotRendering.hpp"
#include "render/SweepRendering.hpp"

namespace {
void CopyError(const QString& text, char* error, std::size_t errorSize) {
  if (errorSize > 0) std::snprintf(error, errorSize, "%s", text.toStdString().c_str());
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int recmod_render_plot(
    const recmod::RecordedPlot* plot, const char* path, char* error, std::size_t errorSize) {
  recmod::OffscreenGui gui;
  QString message;
  if (recmod::RenderPlot(*plot, QString::fromUtf8(path), &message)) return 0;
  CopyError(message, error, errorSize);
  return 1;
}

extern "C" __attribute__((visibility("default"))) int recmod_render_sweep(
    const recmod::SweepPicture* picture, const char* path, char* error, std::size_t errorSize) {
  recmod::OffscreenGui gui;
  QString message;
  if (recmod::RenderSweepPicture(*picture, QString::fromUtf8(path), &message)) return 0;
  CopyError(message, error, errorSize);
  return 1;
}
