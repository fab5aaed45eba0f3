#pragma once

#include <memory>

class QGuiApplication;

namespace recmod {

// The Qt application that drawing text and writing pictures need, for a
// program without a window: while it lives there is a QGuiApplication on the
// offscreen platform, so no display is needed. When the program already has
// one (the window), it is used as it is. Create it on the main thread.
class OffscreenGui {
 public:
  OffscreenGui();
  ~OffscreenGui();
  OffscreenGui(const OffscreenGui&) = delete;
  OffscreenGui& operator=(const OffscreenGui&) = delete;

 private:
  int argc_ = 1;
  char* argv_[2] = {};
  std::unique_ptr<QGuiApplication> application_;
};

}  // namespace recmod
