#pragma once

#include <string>
#include <vector>

namespace recmod {

// What the picture of a study shows: the mean final R+ frequency (and its
// standard error) at every point of the grid of its axes, the first axis
// varying slowest, and the start frequency of R+, the line of no change.
struct StudyPictureAxis {
  std::string label;  // the model's name of the parameter ("u", "Log10(N)")
  std::vector<double> values;
  bool logScale = false;  // values spaced evenly in log10: drawn on a log axis
};

struct StudyPicture {
  std::vector<StudyPictureAxis> axes;  // one or two (more are refused)
  std::vector<double> means;           // one per point
  std::vector<double> standardErrors;  // one per point (0 with one run per point)
  double startFrequency = 0.5;
};

}  // namespace recmod
