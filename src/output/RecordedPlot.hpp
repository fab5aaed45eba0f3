#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/PlotSurface.hpp"

namespace recmod {

// One drawing operation of the picture box: a point at (x1, y1), or a line
// segment from (x1, y1) to (x2, y2), in the colour current when it was drawn.
struct PlotOperation {
  enum class Kind : std::uint8_t { Point, Line };
  Kind kind = Kind::Point;
  Rgb colour;
  float x1 = 0.0F;
  float y1 = 0.0F;
  float x2 = 0.0F;
  float y2 = 0.0F;
  friend bool operator==(const PlotOperation&, const PlotOperation&) = default;
};

// What has been drawn since the picture box was last cleared, with the size
// of the surface it was drawn on. Screen, PNG and SVG are all rendered from
// this one record, so they show the same plot.
struct RecordedPlot {
  float width = kPictureWidth;
  float height = kPictureHeight;
  std::vector<PlotOperation> operations;
};

// A plot surface that draws nothing itself but records every point and
// segment, for a renderer to turn into pixels or vector graphics later. Not
// synchronised: one thread draws at a time.
class RecordingPlotSurface : public PlotSurface {
 public:
  explicit RecordingPlotSurface(float width = kPictureWidth, float height = kPictureHeight);

  void Clear() override;
  void Refresh() override {}
  void SetPosition(float x, float y) override;
  float DrawingWidth() const override { return plot_.width; }
  float DrawingHeight() const override { return plot_.height; }
  void SetColour(Rgb colour) override { colour_ = colour; }
  void DrawPoint(float x, float y) override;
  void DrawLine(float x1, float y1, float x2, float y2) override;

  const RecordedPlot& plot() const { return plot_; }
  Rgb colour() const { return colour_; }
  // The drawing position last set (by SetPosition or by the end of a segment).
  float positionX() const { return positionX_; }
  float positionY() const { return positionY_; }
  // How often the surface was cleared: a renderer that copied the operations
  // up to some count knows from it whether that count still holds.
  std::uint64_t clearCount() const { return clearCount_; }

 private:
  RecordedPlot plot_;
  Rgb colour_;
  float positionX_ = 0.0F;
  float positionY_ = 0.0F;
  std::uint64_t clearCount_ = 0;
};

}  // namespace recmod
