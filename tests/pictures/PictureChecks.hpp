#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

namespace recmod::testing {

// A fresh directory, removed with everything in it.
class PictureDirectory {
 public:
  PictureDirectory();
  ~PictureDirectory();
  PictureDirectory(const PictureDirectory&) = delete;
  PictureDirectory& operator=(const PictureDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteText(const std::filesystem::path& path, const std::string& text);

// recmod-batch run in `directory` with `arguments`: its exit status (-1 when a
// signal ended it) and what it printed.
struct BatchOutcome {
  int status = -1;
  std::string out;
  std::string err;
};
BatchOutcome RunRecmodBatch(const std::filesystem::path& directory,
                            const std::vector<std::string>& arguments);

// The words of the <text> elements of an SVG file; `wellFormed` says whether
// the file parsed as XML to its end.
QStringList SvgTexts(const QString& path, bool* wellFormed);

// The pixel's colour in an image as 24-bit RGB.
QColor PixelAt(const QImage& image, double x, double y);

// Whether a pixel within `radius` of (x, y) is darker than `level` in every
// component.
bool DarkPixelNear(const QImage& image, double x, double y, int radius, int level = 90);

}  // namespace recmod::testing
