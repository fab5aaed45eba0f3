#pragma once

#include "output/Rgb.hpp"

namespace recmod {

// The drawing surface of the picture box: origin at the top left, x to the
// right and y downwards, in the surface's own units (pixels), with the bottom
// row at DrawingHeight() - 1.
class PlotSurface {
 public:
  virtual ~PlotSurface() = default;
  virtual void Clear() = 0;
  virtual void Refresh() = 0;
  virtual void SetPosition(float x, float y) = 0;
  virtual float DrawingWidth() const = 0;
  virtual float DrawingHeight() const = 0;
  virtual void SetColour(Rgb colour) = 0;
  virtual void DrawPoint(float x, float y) = 0;
  virtual void DrawLine(float x1, float y1, float x2, float y2) = 0;
};

// The picture box's size in pixels (9165 x 4515 twips at 15 twips a pixel).
inline constexpr float kPictureWidth = 611.0F;
inline constexpr float kPictureHeight = 301.0F;

// A surface that draws nothing, for runs that nobody watches.
class NullPlotSurface final : public PlotSurface {
 public:
  NullPlotSurface(float width = kPictureWidth, float height = kPictureHeight)
      : width_(width), height_(height) {}
  void Clear() override {}
  void Refresh() override {}
  void SetPosition(float, float) override {}
  float DrawingWidth() const override { return width_; }
  float DrawingHeight() const override { return height_; }
  void SetColour(Rgb) override {}
  void DrawPoint(float, float) override {}
  void DrawLine(float, float, float, float) override {}

 private:
  float width_;
  float height_;
};

inline constexpr Rgb kSexColour{192, 0, 0};
inline constexpr Rgb kAsexColour{0, 0, 255};

}  // namespace recmod
