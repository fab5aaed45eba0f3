#include "StudyPictureFile.hpp"

#include <stdexcept>

#include "OutputPaths.hpp"
#include "PictureModule.hpp"
#include "PictureModuleLoader.hpp"

namespace recmod::batch {

void WriteStudyPicture(const StudyPicture& picture, const std::string& path) {
  // Refused before the toolkit is loaded, and in a build without it alike.
  if (const auto refusal = StudyPictureProblem(picture)) {
    throw std::runtime_error(path + ": " + *refusal);
  }
  RenderThroughModule<RecmodRenderStudyFn>(kRenderStudySymbol, picture, path);
}

void WriteStudyPicture(const StudyPicture& picture, const std::string& path,
                       const std::string& saveDirectory) {
  const auto lock = LockOutputDirectory(path, saveDirectory);
  WriteStudyPicture(picture, path);
}

}  // namespace recmod::batch
