#pragma once

#include <cstddef>
#include <optional>
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
  std::vector<double> means;           // one per point; NaN where a point has no run
  std::vector<double> standardErrors;  // one per point (0 with one run per point)
  double startFrequency = 0.5;
};

// Why a study with `axisCount` axes has no picture ("a picture of a study
// shows one or two axes; this study has 3 (...)"), or nothing when it has
// one or two: a front end can refuse before anything runs.
std::optional<std::string> StudyPictureRefusal(std::size_t axisCount);

// Why `picture` cannot be drawn: too many or too few axes, an axis without
// values, means or standard errors that do not match the grid, a log axis
// with a value that is not positive. Nothing when it can.
std::optional<std::string> StudyPictureProblem(const StudyPicture& picture);

}  // namespace recmod
