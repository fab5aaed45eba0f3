#pragma once

// The drawing of pictures lives in a module of its own, loaded only when a
// start asks for a picture: the toolkit's libraries are large, and a batch
// start that draws nothing should not pay for loading them.
#include <cstddef>

namespace recmod {
struct RecordedPlot;
struct StudyPicture;
struct SweepPicture;
}  // namespace recmod

// The entry points of the module; each returns 0 on success, or writes what
// went wrong into `error` and returns 1.
extern "C" {
using RecmodRenderPlotFn = int (*)(const recmod::RecordedPlot* plot, const char* path, char* error,
                                   std::size_t errorSize);
using RecmodRenderSweepFn = int (*)(const recmod::SweepPicture* picture, const char* path,
                                    char* error, std::size_t errorSize);
using RecmodRenderStudyFn = int (*)(const recmod::StudyPicture* picture, const char* path,
                                    char* error, std::size_t errorSize);
}

// The file name of the module, beside the recmod-batch program.
inline constexpr const char* kPictureModuleName = "recmod-batch-pictures.so";
inline constexpr const char* kRenderPlotSymbol = "recmod_render_plot";
inline constexpr const char* kRenderSweepSymbol = "recmod_render_sweep";
inline constexpr const char* kRenderStudySymbol = "recmod_render_study";
