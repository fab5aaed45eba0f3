#include "BatchPictures.hpp"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "OutputPaths.hpp"
#include "PictureModule.hpp"
#include "PictureModuleLoader.hpp"
#include "driver/FinishedSweep.hpp"
#include "output/RecordedPlot.hpp"
#include "output/sweep/SweepReports.hpp"

namespace recmod::batch {

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& ending) {
  if (text.size() < ending.size()) return false;
  for (std::size_t i = 0; i < ending.size(); ++i) {
    const char c = text[text.size() - ending.size() + i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != ending[i]) return false;
  }
  return true;
}

void WriteSweep(const SweepPicture& picture, const std::string& path) {
  RenderThroughModule<RecmodRenderSweepFn>(kRenderSweepSymbol, picture, path);
}

void WritePlot(const RecordedPlot& plot, const std::string& path) {
  RenderThroughModule<RecmodRenderPlotFn>(kRenderPlotSymbol, plot, path);
}

const char* KindName(const SweepResults& results) {
  return std::holds_alternative<SkSweep>(results) ? "loop over S and K" : "loop over Log10(N)";
}

}  // namespace

bool PicturesAvailable() {
#if defined(RECMOD_WITH_PICTURES)
  return true;
#else
  return false;
#endif
}

void CheckPictureFile(const std::string& path, const std::string& option) {
  if (!PicturesAvailable()) {
    throw UsageError(option +
                     ": pictures are unavailable: this recmod-batch was built without Qt "
                     "(install qt6-base-dev and qt6-svg-dev and build again)");
  }
  if (!EndsWithNoCase(path, ".png") && !EndsWithNoCase(path, ".svg")) {
    throw UsageError(option + ": \"" + path +
                     "\" names no picture file: the name must end in .png or .svg");
  }
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
    throw UsageError(option + ": \"" + path + "\": there is no directory " + parent.string());
  }
}

std::string DefaultSweepPictureFile(const std::string& directory) {
  return (std::filesystem::path(directory) / "sweep.png").string();
}

PlotExport::PlotExport(std::string path, Simulator& sim) : path_(std::move(path)) {
  if (!sim.runMode.SingleRun) return;
  // The picture box's size, as the window draws it.
  surface_ = std::make_unique<RecordingPlotSurface>(kPictureWidth, kPictureHeight);
  sim.plot = surface_.get();
}

PlotExport::~PlotExport() = default;

std::string PlotExport::Write(const Simulator& sim) {
  const auto lock = LockOutputDirectory(path_, sim.engine.params.SaveDirectory);
  if (surface_) {
    WritePlot(surface_->plot(), path_);
    return "plot written to " + path_;
  }
  // Only a process that wrote the report files can draw them.
  if (sim.reports.discarding()) return "";
  std::optional<SweepPicture> picture = ReadFinishedSweep(sim);
  if (!picture) return "";
  picture->colourHalfWidth = colourHalfWidth;
  WriteSweep(*picture, path_);
  return std::string("picture of the ") + KindName(picture->results) + " written to " + path_;
}

int ReplotSweep(const BatchRequest& request, const Simulator& sim) {
  const std::string& directory = *request.replotDirectory;
  const std::string path =
      request.plotFile ? *request.plotFile : DefaultSweepPictureFile(directory);
  OutputPaths outputs;
  outputs.picture = path;
  outputs.pictureOption = request.plotFile ? "--plot" : "--replot";
  try {
    CheckOutputPaths(outputs, {});
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    return kExitUsage;
  }
  try {
    const auto lock = LockOutputDirectory(path, {});
    SweepPicture picture;
    picture.results = ReadSweepReports(directory);
    picture.startFrequency = StartFrequencyOfR(sim.controls);
    picture.colourHalfWidth = request.colourHalfWidth;
    WriteSweep(picture, path);
    if (!request.quiet) {
      std::printf("picture of the %s written to %s\n", KindName(picture.results), path.c_str());
    }
    return kExitSuccess;
  } catch (const ReportFormatError& error) {
    // A file that was read but is not one loop's results is bad input; one
    // that could not be read at all is a run-time error.
    std::fprintf(stderr, "recmod-batch: --replot: %s\n", error.what());
    return error.line() > 0 ? kExitUsage : kExitRuntimeError;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: --replot: %s\n", error.what());
    return kExitRuntimeError;
  }
}

}  // namespace recmod::batch
