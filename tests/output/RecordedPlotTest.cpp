#include "output/RecordedPlot.hpp"

#include <gtest/gtest.h>

#include "output/FrequencyPlot.hpp"
#include "support/FrequencyChecks.hpp"

namespace recmod {
namespace {

using Kind = PlotOperation::Kind;

TEST(RecordedPlotTest, KeepsEveryOperationInOrderWithTheColourCurrentWhenDrawn) {
  RecordingPlotSurface surface(611.0F, 301.0F);
  EXPECT_EQ(surface.DrawingWidth(), 611.0F);
  EXPECT_EQ(surface.DrawingHeight(), 301.0F);
  surface.SetColour(kSexColour);
  surface.DrawPoint(1.5F, 300.0F);
  surface.SetColour(kAsexColour);
  surface.DrawLine(1.5F, 0.0F, 3.0F, 10.0F);
  surface.DrawPoint(4.0F, 5.0F);

  const RecordedPlot& plot = surface.plot();
  ASSERT_EQ(plot.operations.size(), 3u);
  EXPECT_EQ(plot.operations[0],
            (PlotOperation{Kind::Point, kSexColour, 1.5F, 300.0F, 1.5F, 300.0F}));
  EXPECT_EQ(plot.operations[1], (PlotOperation{Kind::Line, kAsexColour, 1.5F, 0.0F, 3.0F, 10.0F}));
  EXPECT_EQ(plot.operations[2].colour, kAsexColour);
  EXPECT_EQ(surface.positionX(), 4.0F);

  // Clearing forgets the drawing, not the colour, and is counted so that a
  // renderer can tell an old count from a new one.
  const auto clears = surface.clearCount();
  surface.Clear();
  EXPECT_TRUE(surface.plot().operations.empty());
  EXPECT_EQ(surface.clearCount(), clears + 1);
  surface.DrawPoint(0.0F, 0.0F);
  EXPECT_EQ(surface.plot().operations[0].colour, kAsexColour);
}

// Three generations of the recorder make, per curve, a point and then
// segments that start where the curve stood the generation before: red
// curves first, blue after, in curve order, reaching x = W at MaxGen.
TEST(RecordedPlotTest, RecordsTheRecorderCurvesAsConnectedPolylines) {
  HaplotypeTables tables;
  BuildHaplotypeTables(2, tables);
  PopulationState population;
  testing::SetSlot(population, 0, 1, {0.1, 0.1, 0.1, 0.2});
  testing::SetSlot(population, 1, 1, {0.1, 0.2, 0.1, 0.1});
  Recorder recorder;
  RecordingPlotSurface surface;
  for (std::int16_t generation = 1; generation <= 3; ++generation) {
    RecordGeneration(recorder, generation, /*demes=*/1, /*maxGen=*/3, tables, population, false,
                     surface, nullptr);
  }
  const auto& operations = surface.plot().operations;
  ASSERT_EQ(operations.size(), 24u);
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(operations[k].kind, Kind::Point);
    EXPECT_EQ(operations[k].colour, k < 4 ? kSexColour : kAsexColour);
    for (std::size_t generation = 1; generation < 3; ++generation) {
      const PlotOperation& segment = operations[generation * 8 + k];
      const PlotOperation& before = operations[(generation - 1) * 8 + k];
      EXPECT_EQ(segment.kind, Kind::Line);
      EXPECT_EQ(segment.x1, before.x2);
      EXPECT_EQ(segment.y1, before.y2);
    }
  }
  EXPECT_FLOAT_EQ(operations[16].x2, kPictureWidth);
  // Stacked: every curve lies on or above the one before it (smaller y).
  for (std::size_t k = 1; k < 8; ++k) EXPECT_LE(operations[16 + k].y2, operations[16 + k - 1].y2);
  EXPECT_NEAR(operations[23].y2, 0.0F, 1e-6);
}

}  // namespace
}  // namespace recmod
