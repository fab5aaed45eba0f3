#pragma once

#include <stdexcept>
#include <string>

namespace recmod::batch {

// An entry point of the picture module, which is loaded on first use. Raises
// std::runtime_error ("pictures are unavailable: ...") when this program was
// built without pictures or the module cannot be loaded or lacks the entry.
void* PictureEntry(const char* symbol);

// Draws `picture` into the file `path` through the module's entry point
// `symbol` (of type Render). Raises std::runtime_error ("PATH: reason") when
// pictures are unavailable or the picture cannot be drawn or written.
template <typename Render, typename Picture>
void RenderThroughModule(const char* symbol, const Picture& picture, const std::string& path) {
  Render render = nullptr;
  try {
    render = reinterpret_cast<Render>(PictureEntry(symbol));
  } catch (const std::runtime_error& unavailable) {
    throw std::runtime_error(path + ": " + unavailable.what());
  }
  char error[1024] = "";
  if (render(&picture, path.c_str(), error, sizeof error) != 0) {
    throw std::runtime_error(path + ": " + error);
  }
}

}  // namespace recmod::batch
