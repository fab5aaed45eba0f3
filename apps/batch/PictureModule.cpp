// The picture module: the window's rendering behind C entry points.
#include "PictureModule.hpp"

#include <QString>
#include <cstdio>

#include "render/OffscreenGui.hpp"
#include "render/PlotRendering.hpp"
#include "render/StudyRendering.hpp"
#include "render/SweepRendering.hpp"

namespace {

// Renders `picture` into the file at `path` under an offscreen toolkit; 0 on
// success, otherwise 1 with the reason in `error`.
template <typename Picture, typename Render>
int RenderInto(const Picture& picture, const char* path, char* error, std::size_t errorSize,
               Render render) {
  recmod::OffscreenGui gui;
  QString message;
  if (render(picture, QString::fromUtf8(path), &message)) return 0;
  if (errorSize > 0) std::snprintf(error, errorSize, "%s", message.toStdString().c_str());
  return 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int recmod_render_plot(
    const recmod::RecordedPlot* plot, const char* path, char* error, std::size_t errorSize) {
  return RenderInto(*plot, path, error, errorSize, recmod::RenderPlot);
}

extern "C" __attribute__((visibility("default"))) int recmod_render_sweep(
    const recmod::SweepPicture* picture, const char* path, char* error, std::size_t errorSize) {
  return RenderInto(*picture, path, error, errorSize, recmod::RenderSweepPicture);
}

extern "C" __attribute__((visibility("default"))) int recmod_render_study(
    const recmod::StudyPicture* picture, const char* path, char* error, std::size_t errorSize) {
  return RenderInto(*picture, path, error, errorSize, recmod::RenderStudyPicture);
}
