#pragma once

#include <memory>
#include <optional>
#include <string>

#include "BatchCommandLine.hpp"
#include "ui/Simulator.hpp"

namespace recmod {
class RecordingPlotSurface;
}

namespace recmod::batch {

// Whether this recmod-batch can draw pictures: it was built with the Qt
// rendering of the window.
bool PicturesAvailable();

// Checks the picture file that `option` names before anything runs: pictures
// must be available, the name must end in ".png" or ".svg" (any case) and its
// directory must exist. Raises UsageError otherwise.
void CheckPictureFile(const std::string& path, const std::string& option);

// The picture file of --replot DIR when --plot gives none.
std::string DefaultSweepPictureFile(const std::string& directory);

// --plot FILE for a start. A single run draws on a recorded surface, which
// becomes the plot picture, the window's stacked curves; a loop's picture is
// drawn from the report files it wrote.
class PlotExport {
 public:
  // Sets the simulator's picture box to the recorded surface for single runs.
  PlotExport(std::string path, Simulator& sim);
  ~PlotExport();
  PlotExport(const PlotExport&) = delete;
  PlotExport& operator=(const PlotExport&) = delete;

  // After a finished start: writes the picture and returns a note of it for
  // the user ("" when the mode drew nothing). Raises std::runtime_error (with
  // the file named) when the picture cannot be made or written.
  std::string Write(const Simulator& sim);

  // The half-width of a heat map's colour scale (--colour-range).
  std::optional<double> colourHalfWidth;

 private:
  std::string path_;
  std::unique_ptr<RecordingPlotSurface> surface_;
};

// --replot DIR: draws the picture of the sweep whose report files are in the
// directory, without running anything; the start frequency of R+ comes from
// field 20 as the command line left it. Returns the exit status; messages
// are printed here.
int ReplotSweep(const BatchRequest& request, const Simulator& sim);

}  // namespace recmod::batch
