#pragma once

#include <QColor>

#include "output/Rgb.hpp"

namespace recmod {

// The toolkit's colour for one of ours.
inline QColor ToQColor(Rgb colour) {
  return {colour.red, colour.green, colour.blue};
}

}  // namespace recmod
