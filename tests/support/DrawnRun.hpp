#pragma once

#include "output/FrequencyPlot.hpp"
#include "run/PlotRecording.hpp"
#include "run/RunMode.hpp"
#include "run/RunOutputs.hpp"

namespace recmod::testing {

// The outputs of a run that the window shows: curves on `surface`, a single
// run's lines in `reports`, messages to `messages`.
struct DrawnRun {
  DrawnRun(PlotSurface& surface, MessageSink& messages, const RunMode& mode,
           ReportFiles* reports = nullptr)
      : recording(recorder, surface, reports, mode.SingleRun),
        outputs{.recording = &recording, .messages = &messages} {}
  DrawnRun(const DrawnRun&) = delete;
  DrawnRun& operator=(const DrawnRun&) = delete;

  Recorder recorder;
  PlotRecording recording;
  RunOutputs outputs;
};

}  // namespace recmod::testing
