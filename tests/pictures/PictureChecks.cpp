#include "PictureChecks.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QXmlStreamReader>
#include <cmath>
#include <fstream>
#include <sstream>

namespace recmod::testing {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

PictureDirectory::PictureDirectory() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "recmod-pictures-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
}

PictureDirectory::~PictureDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

BatchOutcome RunRecmodBatch(const std::filesystem::path& directory,
                            const std::vector<std::string>& arguments) {
  const std::filesystem::path out = directory / ".stdout";
  const std::filesystem::path err = directory / ".stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(directory.c_str()) != 0) ::_exit(126);
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    std::string program = RECMOD_BATCH_PATH;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  BatchOutcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadAll(out);
  outcome.err = ReadAll(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return outcome;
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
