#include "output/RecordedPlot.hpp"

namespace recmod {

RecordingPlotSurface::RecordingPlotSurface(float width, float height) {
  plot_.width = width;
  plot_.height = height;
}

void RecordingPlotSurface::Clear() {
  plot_.operations.clear();
  ++clearCount_;
}

void RecordingPlotSurface::SetPosition(float x, float y) {
  positionX_ = x;
  positionY_ = y;
}

void RecordingPlotSurface::DrawPoint(float x, float y) {
  plot_.operations.push_back({PlotOperation::Kind::Point, colour_, x, y, x, y});
  positionX_ = x;
  positionY_ = y;
}

void RecordingPlotSurface::DrawLine(float x1, float y1, float x2, float y2) {
  plot_.operations.push_back({PlotOperation::Kind::Line, colour_, x1, y1, x2, y2});
  positionX_ = x2;
  positionY_ = y2;
}

}  // namespace recmod
