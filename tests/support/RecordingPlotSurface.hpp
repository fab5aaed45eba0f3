#pragma once

#include <cstddef>
#include <vector>

#include "output/PlotSurface.hpp"

namespace recmod::testing {

// A drawing surface that keeps a log of every call instead of drawing.
class RecordingPlotSurface : public PlotSurface {
 public:
  enum class Kind { Clear, Refresh, SetPosition, SetColour, Point, Line };
  struct Call {
    Kind kind;
    Rgb colour;    // the colour set, or the colour in force for points and lines
    float x1 = 0;  // point, position, or the start of a line
    float y1 = 0;
    float x2 = 0;  // the end of a line
    float y2 = 0;
  };

  RecordingPlotSurface(float width = kPictureWidth, float height = kPictureHeight)
      : width_(width), height_(height) {}

  void Clear() override { calls.push_back({Kind::Clear, colour_}); }
  void Refresh() override { calls.push_back({Kind::Refresh, colour_}); }
  void SetPosition(float x, float y) override {
    calls.push_back({Kind::SetPosition, colour_, x, y});
  }
  float DrawingWidth() const override { return width_; }
  float DrawingHeight() const override { return height_; }
  void SetColour(Rgb colour) override {
    colour_ = colour;
    calls.push_back({Kind::SetColour, colour});
  }
  void DrawPoint(float x, float y) override { calls.push_back({Kind::Point, colour_, x, y}); }
  void DrawLine(float x1, float y1, float x2, float y2) override {
    calls.push_back({Kind::Line, colour_, x1, y1, x2, y2});
  }

  // The points and lines drawn, in order.
  std::vector<Call> Strokes() const;
  std::size_t Count(Kind kind) const;

  std::vector<Call> calls;

 private:
  float width_;
  float height_;
  Rgb colour_{};
};

}  // namespace recmod::testing
