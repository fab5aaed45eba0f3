#include "PictureFile.hpp"

#include <sys/stat.h>

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace recmod {

namespace {

void Say(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

// Why the name cannot take a picture, or "" when it is free or a regular file.
QString KindInTheWay(const QString& path) {
  struct stat status {};
  if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return {};
  if (S_ISREG(status.st_mode)) return {};
  if (S_ISLNK(status.st_mode)) return QStringLiteral("a link");
  if (S_ISDIR(status.st_mode)) return QStringLiteral("a directory");
  if (S_ISFIFO(status.st_mode)) return QStringLiteral("a FIFO");
  if (S_ISSOCK(status.st_mode)) return QStringLiteral("a socket");
  return QStringLiteral("a device");
}

}  // namespace

bool WritePictureFile(const QString& path, const PictureWriter& write, QString* error) {
  if (const QString kind = KindInTheWay(path); !kind.isEmpty()) {
    Say(error, QStringLiteral("%1 is in the way; only a regular file is replaced").arg(kind));
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    Say(error, file.errorString());
    return false;
  }
  QString drawError;
  if (!write(file, &drawError)) {
    file.cancelWriting();
    Say(error, drawError);
    return false;
  }
  if (!file.commit()) {
    Say(error, file.errorString());
    return false;
  }
  return true;
}

}  // namespace recmod
