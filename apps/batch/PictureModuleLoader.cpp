#include "PictureModuleLoader.hpp"

#if defined(RECMOD_WITH_PICTURES)
#include <dlfcn.h>

#include <filesystem>
#endif

#include "PictureModule.hpp"

namespace recmod::batch {

#if defined(RECMOD_WITH_PICTURES)
namespace {

// The directory of the running program, where the picture module lies.
std::string ProgramDirectory() {
  std::error_code ec;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : program.parent_path().string();
}

// Where the picture module lies: next to the program in a build tree, in the
// package's library directory (relative to the program) once installed.
std::string PictureModulePath() {
  const std::filesystem::path directory = ProgramDirectory();
  const std::filesystem::path besideProgram = directory / kPictureModuleName;
#if defined(RECMOD_PICTURE_MODULE_INSTALL_DIR)
  std::error_code ec;
  if (!std::filesystem::exists(besideProgram, ec)) {
    const std::filesystem::path installed =
        directory / RECMOD_PICTURE_MODULE_INSTALL_DIR / kPictureModuleName;
    if (std::filesystem::exists(installed, ec)) return installed.lexically_normal().string();
  }
#endif
  return besideProgram.string();
}

}  // namespace

void* PictureEntry(const char* symbol) {
  static void* module = nullptr;
  if (module == nullptr) {
    const std::string path = PictureModulePath();
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* reason = dlerror();
      throw std::runtime_error("pictures are unavailable: cannot load " + path + ": " +
                               (reason != nullptr ? reason : "unknown reason"));
    }
  }
  void* entry = dlsym(module, symbol);
  if (entry == nullptr) {
    throw std::runtime_error(std::string("pictures are unavailable: the picture module has no ") +
                             symbol);
  }
  return entry;
}
#else
void* PictureEntry(const char*) {
  throw std::runtime_error("pictures are unavailable: this recmod-batch was built without Qt");
}
#endif

}  // namespace recmod::batch
