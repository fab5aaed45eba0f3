#include "output/sweep/StudyPicture.hpp"

#include "output/sweep/AxisTicks.hpp"

namespace recmod {

std::optional<std::string> StudyPictureRefusal(std::size_t axisCount) {
  if (axisCount == 1 || axisCount == 2) return std::nullopt;
  return "a picture of a study shows one or two axes; this study has " + std::to_string(axisCount) +
         " (write --table or --summary instead)";
}

std::optional<std::string> StudyPictureProblem(const StudyPicture& picture) {
  if (auto refusal = StudyPictureRefusal(picture.axes.size())) return refusal;
  std::size_t points = 1;
  for (const StudyPictureAxis& axis : picture.axes) {
    if (axis.values.empty()) return "the axis " + axis.label + " of the study has no values";
    if (axis.logScale) {
      for (const double value : axis.values) {
        // Also refuses NaN.
        if (!(value > 0.0)) {
          return "the axis " + axis.label + " is drawn in log10 but holds the value " +
                 PictureNumberText(value);
        }
      }
    }
    points *= axis.values.size();
  }
  if (picture.means.size() != points || picture.standardErrors.size() != points) {
    return "the study has " + std::to_string(points) + " points but " +
           std::to_string(picture.means.size()) + " means and " +
           std::to_string(picture.standardErrors.size()) + " standard errors";
  }
  return std::nullopt;
}

}  // namespace recmod
