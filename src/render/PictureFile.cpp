#include "PictureFile.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <exception>
#include <string_view>

#include "model/RuntimeError.hpp"
#include "output/SafeFileWrite.hpp"

namespace recmod {

namespace {

void Say(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

}  // namespace

bool WriteBytesToFile(const QString& path, const QByteArray& bytes, QString* error) {
  try {
    WriteFileSafely(QFile::encodeName(path).toStdString(),
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return true;
  } catch (const RuntimeError& failure) {
    // The path is already in the caller's message; the reason is what tells.
    const std::string& detail = failure.detail();
    const std::string name = QFile::encodeName(path).toStdString() + ": ";
    Say(error,
        QString::fromStdString(detail.rfind(name, 0) == 0 ? detail.substr(name.size()) : detail));
  } catch (const std::exception& failure) {
    Say(error, QString::fromStdString(failure.what()));
  }
  return false;
}

bool WritePictureFile(const QString& path, const PictureWriter& write, QString* error) {
  if (const auto kind = KindInTheWay(QFile::encodeName(path).toStdString())) {
    Say(error, QString::fromStdString(*kind + " is in the way; only a regular file is replaced"));
    return false;
  }
  // The whole picture is drawn in memory first: a drawing library may not
  // tell of a write that failed, but a file written in one piece is checked
  // to its last byte.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QString drawError;
  if (!write(buffer, &drawError)) {
    Say(error, drawError);
    return false;
  }
  buffer.close();
  return WriteBytesToFile(path, bytes, error);
}

}  // namespace recmod
