#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "output/PlotSurface.hpp"
#include "ui/Simulator.hpp"

namespace recmod::testing {

// The window after start-up, as a user starts it: the form loaded, three
// loci when `loci` is 3, run option `mode` chosen and `saveDirectory` typed
// as the directory of the report files. The picture box and the front end
// must already be set.
void StartWindow(Simulator& sim, const std::filesystem::path& saveDirectory, int mode = 0,
                 int loci = 2);

// Types `text` into txt `index` and leaves the field, as a user does.
void TypeInto(Simulator& sim, int index, const std::string& text);

// Selects run option `k` as a click on it does.
void SelectOption(Simulator& sim, int k);

// A picture box that draws nothing and calls `onDraw` at every point or line
// drawn, that is, while the recorder draws a generation.
class WatchingPlotSurface final : public PlotSurface {
 public:
  std::function<void()> onDraw;
  void Clear() override {}
  void Refresh() override {}
  void SetPosition(float, float) override {}
  float DrawingWidth() const override { return kPictureWidth; }
  float DrawingHeight() const override { return kPictureHeight; }
  void SetColour(Rgb) override {}
  void DrawPoint(float, float) override { Notify(); }
  void DrawLine(float, float, float, float) override { Notify(); }

 private:
  void Notify() {
    if (onDraw) onDraw();
  }
};

}  // namespace recmod::testing
