#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace recmod {

// Draws a picture into the open device; false (with the reason in `error`)
// when it cannot.
using PictureWriter = std::function<bool(QIODevice& device, QString* error)>;

// Writes a picture file so that it is whole or not there: the picture is
// drawn in memory and written with WriteFileSafely (a temporary file beside
// `path` that takes the name only when every byte was written). A name held
// by anything but a regular file (a FIFO, a device, a directory, a link) is
// refused rather than opened. Returns false with the reason in `error`; an
// earlier file of the name is then untouched.
bool WritePictureFile(const QString& path, const PictureWriter& write, QString* error);

// `bytes` as the file `path` through WriteFileSafely; false with the reason
// in `error` when it cannot be written (the window's results table too).
bool WriteBytesToFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace recmod
