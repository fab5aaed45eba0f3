#pragma once

#include <gtest/gtest.h>
#include <filesystem>

#include <functional>
#include <string>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "support/ReportLines.hpp"
#include "support/WindowDriving.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/Simulator.hpp"

namespace recmod::testing {

// A front end that keeps the messages shown.
class CollectingFrontEnd final : public FrontEnd {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// The window driven as a user drives it: start-up, the number of loci, a run
// option, clicks on check boxes, fields typed and left, "Start simulation".
// Report files go to `saveDirectory`.
class WindowSession {
 public:
  explicit WindowSession(const std::filesystem::path& saveDirectory, int mode = 0, int loci = 2);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // Types `text` into txt `index` and leaves the field.
  void Type(int index, const std::string& text);
  // Clicks the box when its tick differs from `ticked`.
  void Tick(CheckBox box, bool ticked);
  // The "Exact sampling" check box.
  void TickExactSampling(bool ticked) { SetTick(sim, CheckBox::ExactSampling, ticked ? 1 : 0); }
  StartOutcome Start() { return Start_Click(sim); }

  Simulator sim;
  WatchingPlotSurface plot;
  CollectingFrontEnd frontEnd;
};

}  // namespace recmod::testing
