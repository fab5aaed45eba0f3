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
  // Unbuffered: every write reaches the file at once, so that a failing one
  // (a full device, the file-size limit) is seen here and not lost in a
  // flush at the commit.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    Say(error, file.errorString());
    return false;
  }
  QString drawError;
  const bool drawn = write(file, &drawError);
  if (!drawn || file.error() != QFileDevice::NoError) {
    // The file's own reason (a full device, say) tells more than the drawing's.
    Say(error, file.error() != QFileDevice::NoError ? file.errorString() : drawError);
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    Say(error, file.error() != QFileDevice::NoError ? file.errorString()
                                                    : QStringLiteral("cannot be written"));
    return false;
  }
  return true;
}

}  // namespace recmod
