#pragma once

#include "run/RunOutputs.hpp"

namespace recmod {

class PlotSurface;
class ReportFiles;
struct Recorder;

// The recorder of a shown run: after each generation it stacks the recorded
// table into the plot's curves and, in a single run, writes the generation's
// line of "ReportFile1.txt". The recorder's state lives in `recorder`, which
// the window keeps from run to run.
class PlotRecording final : public RunObserver {
 public:
  PlotRecording(Recorder& recorder, PlotSurface& plot, ReportFiles* reports, bool singleRun)
      : recorder_(recorder), plot_(plot), reports_(reports), singleRun_(singleRun) {}

  void AfterGeneration(const Engine& engine) override;

 private:
  Recorder& recorder_;
  PlotSurface& plot_;
  ReportFiles* reports_;
  bool singleRun_;
};

}  // namespace recmod
