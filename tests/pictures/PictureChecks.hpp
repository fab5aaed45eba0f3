#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

namespace recmod::testing {

void WriteText(const std::filesystem::path& path, const std::string& text);

// The words of the <text> elements of an SVG file; `wellFormed` says whether
// the file parsed as XML to its end.
QStringList SvgTexts(const QString& path, bool* wellFormed);

// The pixel's colour in an image as 24-bit RGB.
QColor PixelAt(const QImage& image, double x, double y);

// Whether a pixel within `radius` of (x, y) is darker than `level` in every
// component.
bool DarkPixelNear(const QImage& image, double x, double y, int radius, int level = 90);

}  // namespace recmod::testing
