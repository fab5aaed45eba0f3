#include "support/RecordingPlotSurface.hpp"

#include <algorithm>

namespace recmod::testing {

std::vector<RecordingPlotSurface::Call> RecordingPlotSurface::Strokes() const {
  std::vector<Call> strokes;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(strokes), [](const Call& call) {
    return call.kind == Kind::Point || call.kind == Kind::Line;
  });
  return strokes;
}

std::size_t RecordingPlotSurface::Count(Kind kind) const {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [kind](const Call& call) { return call.kind == kind; }));
}

}  // namespace recmod::testing
