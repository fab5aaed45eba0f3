// A loop that the window watches draws every run's curves. Runs that went side
// by side draw them from the generations they kept, which must give the
// picture box exactly the calls of the runs made one at a time.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/ExperimentDriver.hpp"
#include "lanes/LanePath.hpp"
#include "support/StartupControls.hpp"
#include "support/TempDirectory.hpp"
#include "support/WindowDriving.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {
namespace {

using testing::TempDirectory;
using testing::TypeInto;

// Writes down every call the recorder makes, numbers to the last bit.
class LoggingPlotSurface final : public PlotSurface {
 public:
  void Clear() override { log << "clear\n"; }
  void Refresh() override {}
  void SetPosition(float x, float y) override { log << "at " << x << ' ' << y << '\n'; }
  float DrawingWidth() const override { return kPictureWidth; }
  float DrawingHeight() const override { return kPictureHeight; }
  void SetColour(Rgb colour) override { log << "colour " << int{colour.red} << '\n'; }
  void DrawPoint(float x, float y) override { log << "point " << x << ' ' << y << '\n'; }
  void DrawLine(float x1, float y1, float x2, float y2) override {
    log << "line " << x1 << ' ' << y1 << ' ' << x2 << ' ' << y2 << '\n';
  }
  std::ostringstream log;
};

struct WatchedLoop {
  const char* name;
  int mode;
  int loci;
  std::vector<std::pair<int, std::string>> fields;
};

std::string DrawingOf(const WatchedLoop& loop, LanePath path) {
  UseLanePath(path);
  TempDirectory dir;
  Simulator sim;
  LoggingPlotSurface plot;
  plot.log.precision(9);
  sim.plot = &plot;
  Form_Load(sim);
  if (loop.loci == 3) ToggleAllelesNumber_Click(sim);
  testing::SelectOption(sim, loop.mode);
  for (const auto& [index, text] : loop.fields) TypeInto(sim, index, text);
  TypeInto(sim, 30, dir.string());
  sim.seed = 5;
  sim.threads = 1;
  EXPECT_EQ(Start_Click(sim), StartOutcome::Finished);
  return plot.log.str();
}

TEST(WatchedLoops, DrawEveryRunAsRunsOneAtATimeDo) {
  const std::vector<WatchedLoop> loops = {
      {"S and K, 2 loci", 2, 2, {{17, "12"}}},
      {"S and K, 3 loci, 4 demes", 2, 3, {{17, "7"}, {10, "4"}}},
      {"Log10(N) with drift, 3 demes", 3, 2, {{17, "9"}, {10, "3"}, {8, "5"}, {19, "3"}}},
  };
  for (const WatchedLoop& loop : loops) {
    SCOPED_TRACE(loop.name);
    const std::string alone = DrawingOf(loop, LanePath::Scalar);
    ASSERT_NE(alone.find("line"), std::string::npos);
    for (LanePath path : AvailableLanePaths()) {
      SCOPED_TRACE(LanePathName(path));
      EXPECT_TRUE(DrawingOf(loop, path) == alone);
    }
  }
}

}  // namespace
}  // namespace recmod
