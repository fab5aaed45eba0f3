#include "PictureChecks.hpp"

#include <QFile>
#include <QXmlStreamReader>
#include <cmath>
#include <fstream>

namespace recmod::testing {

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

QStringList SvgTexts(const QString& path, bool* wellFormed) {
  QFile file(path);
  QStringList texts;
  if (!file.open(QIODevice::ReadOnly)) {
    *wellFormed = false;
    return texts;
  }
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QLatin1String("text")) {
      texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    }
  }
  *wellFormed = !xml.hasError();
  return texts;
}

QColor PixelAt(const QImage& image, double x, double y) {
  return image.pixelColor(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))).toRgb();
}

bool DarkPixelNear(const QImage& image, double x, double y, int radius, int level) {
  const int cx = static_cast<int>(std::lround(x));
  const int cy = static_cast<int>(std::lround(y));
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const QColor c = image.pixelColor(cx + dx, cy + dy);
      if (c.red() < level && c.green() < level && c.blue() < level) return true;
    }
  }
  return false;
}

}  // namespace recmod::testing
