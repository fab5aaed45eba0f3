// recmod-batch --plot and --replot as a user runs them: the plot of a single
// run, the pictures of both loops, the same picture again from the report
// files alone, and the command lines and files it refuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QSvgRenderer>
#include <filesystem>

#include "PictureChecks.hpp"
#include "output/sweep/SweepReports.hpp"
#include "render/SweepRendering.hpp"
#include "support/ProgramRun.hpp"
#include "support/ScratchMount.hpp"
#include "support/TempDirectory.hpp"

namespace recmod {
namespace {

namespace fs = std::filesystem;
using testing::RunBatchIn;
using testing::SvgTexts;
using testing::TempDirectory;
using testing::WriteText;

const QColor kRed(192, 0, 0);
const QColor kBlue(0, 0, 255);

QImage Load(const std::string& path) {
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

TEST(BatchPlot, ASingleRunGivesThePictureBoxPlotWithRedCurvesBelowBlue) {
  TempDirectory dir;
  const auto outcome = RunBatchIn(dir.path(), {"--plot", "plot.png"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("plot written to plot.png"), std::string::npos) << outcome.out;
  EXPECT_TRUE(fs::exists(dir / "ReportFile1.txt"));
  const QImage image = Load(dir / "plot.png");
  ASSERT_EQ(image.size(), QSize(611, 301));
  int columnsWithBoth = 0;
  for (int x = 5; x < 611; x += 25) {
    int lowestBlue = -1;
    int highestRed = 301;
    for (int y = 0; y < 301; ++y) {
      if (image.pixelColor(x, y) == kBlue) lowestBlue = std::max(lowestBlue, y);
      if (image.pixelColor(x, y) == kRed) highestRed = std::min(highestRed, y);
    }
    if (lowestBlue < 0 || highestRed == 301) continue;
    ++columnsWithBoth;
    EXPECT_GE(highestRed, lowestBlue - 1) << "column " << x;
    // The total (top curve, blue) on the top row.
    EXPECT_EQ(image.pixelColor(x, 0), kBlue) << "column " << x;
  }
  EXPECT_GT(columnsWithBoth, 20);

  // The same plot as a drawing.
  const auto svg = RunBatchIn(dir.path(), {"--quiet", "--plot", "plot.svg"});
  ASSERT_EQ(svg.status, 0) << svg.err;
  EXPECT_TRUE(svg.out.empty());
  QSvgRenderer renderer(QString::fromStdString(dir / "plot.svg"));
  EXPECT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 611, 301));
}

// The loop over S and K on a small grid: its heat map, then the same picture
// drawn from its report files by --replot, and by the rendering itself.
TEST(BatchPlot, TheSKLoopPictureIsTheSameFromTheStartAndFromItsReportFiles) {
  TempDirectory dir;
  const auto outcome =
      RunBatchIn(dir.path(), {"--mode", "loop-sk", "--s-range", "0.05:0.2:0.05", "--k-range",
                              "0.9:1.1:0.05", "--maxgen", "200", "--plot", "sweep.png"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("picture of the loop over S and K written to sweep.png"),
            std::string::npos)
      << outcome.out;
  const QImage fromStart = Load(dir / "sweep.png");
  ASSERT_EQ(fromStart.size(), QSize(760, 560));

  const auto replot = RunBatchIn(dir.path(), {"--replot", ".", "--plot", "again.png"});
  ASSERT_EQ(replot.status, 0) << replot.err;
  EXPECT_EQ(Load(dir / "again.png"), fromStart);

  const SweepResults results = ReadSweepReports(dir.path().string());
  EXPECT_EQ(RenderSweepImage({results, 0.5}), fromStart);
  const SkSweep& grid = std::get<SkSweep>(results);
  ASSERT_EQ(grid.columns.size(), 4U);
  ASSERT_EQ(grid.RowValues().size(), 5U);

  // Every cell in the colour of its run: red where R+ rose, blue where it fell.
  const HeatMapLayout layout = LayoutHeatMap(grid);
  int red = 0;
  int blue = 0;
  for (int column = 0; column < layout.columns; ++column) {
    for (int row = 0; row < layout.rows; ++row) {
      const double result =
          grid.columns[static_cast<std::size_t>(column)].results[static_cast<std::size_t>(row)];
      const QColor c = fromStart.pixelColor(layout.Cell(column, row).center().toPoint());
      if (result > 0.55) {
        EXPECT_GT(c.red(), c.blue()) << column << "," << row;
        ++red;
      } else if (result < 0.45) {
        EXPECT_GT(c.blue(), c.red()) << column << "," << row;
        ++blue;
      }
    }
  }
  // With K below 1 recombination wins, above 1 it loses.
  EXPECT_GT(red, 0);
  EXPECT_GT(blue, 0);

  // Centred on another start frequency, the colours change with it.
  const auto centred = RunBatchIn(dir.path(), {"--replot", ".", "--R", ".3"});
  ASSERT_EQ(centred.status, 0) << centred.err;
  EXPECT_EQ(Load(dir / "sweep.png"), RenderSweepImage({results, 0.3}));
}

TEST(BatchPlot, TheLog10NLoopPictureIsADrawingWithItsAxisTitles) {
  TempDirectory dir;
  const auto outcome = RunBatchIn(
      dir.path(), {"--mode", "loop-log10n", "--log10n-from", "1", "--log10n-to", "2",
                   "--iterations", "5", "--maxgen", "50", "--seed", "1", "--plot", "n.svg"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  bool wellFormed = false;
  const QStringList texts = SvgTexts(QString::fromStdString(dir / "n.svg"), &wellFormed);
  EXPECT_TRUE(wellFormed);
  EXPECT_TRUE(texts.contains(QStringLiteral("Log10(N)")));
  EXPECT_TRUE(texts.contains(QStringLiteral("R+ frequency")));
  EXPECT_TRUE(texts.contains(QStringLiteral("1.5")));  // a tick in the number format

  // Drawn again from the report files, as PNG.
  const auto replot = RunBatchIn(dir.path(), {"--quiet", "--replot", dir.path().string()});
  ASSERT_EQ(replot.status, 0) << replot.err;
  const SweepResults results = ReadSweepReports(dir.path().string());
  EXPECT_EQ(std::get<Log10NSweep>(results).points.size(), 3U);
  EXPECT_EQ(Load(dir / "sweep.png"), RenderSweepImage({results, 0.5}));
}

TEST(BatchReplot, AFileNotInTheReportFormatIsRefusedWithItsLine) {
  TempDirectory dir;
  WriteText(dir.path() / "ReportFile2.txt", "K\tu= 1E-05 s= .01\r\n .8\t .5\r\n .81\t.5\r\n \r\n");
  const auto outcome = RunBatchIn(dir.path(), {"--replot", "."});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("ReportFile2.txt, line 3: the result \".5\" is not a number in the "
                             "report format"),
            std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(dir / "sweep.png"));

  // Numbers that no loop writes.
  WriteText(dir.path() / "ReportFile2.txt", "K\tu= 1E-05 s= .01\r\n .8\t-5\r\n \r\n");
  const auto outside = RunBatchIn(dir.path(), {"--replot", "."});
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("line 2: the result \"-5\" is not a frequency"), std::string::npos)
      << outside.err;

  // A loop over Log10(N) whose summary names a size without results.
  WriteText(dir.path() / "ReportFile2.txt", "N = 1\r\n .5\r\n .5\r\n \r\n");
  WriteText(dir.path() / "ReportFile3.txt", "N\tMean\tS.D.\r\n 1\t .5\t 0\r\n 3\t .5\t 0\r\n");
  const auto summary = RunBatchIn(dir.path(), {"--replot", "."});
  EXPECT_EQ(summary.status, 2);
  EXPECT_NE(summary.err.find("ReportFile3.txt, line 3: N = 3 has no finished block"),
            std::string::npos)
      << summary.err;

  // No report files at all.
  TempDirectory empty;
  const auto missing = RunBatchIn(empty.path(), {"--replot", "."});
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("ReportFile2.txt: cannot be read"), std::string::npos) << missing.err;
}

TEST(BatchPlot, PictureNamesAreCheckedBeforeAnythingRuns) {
  TempDirectory dir;
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--plot", "plot.gif"},
                                                    {"--plot", "plot"},
                                                    {"--plot", "missing/plot.png"},
                                                    {"--replot", ".", "--plot", "sweep.jpg"},
                                                    {"--replot", ".", "--fields"},
                                                    {"--replot", "missing"}}) {
    const auto outcome = RunBatchIn(dir.path(), arguments);
    EXPECT_EQ(outcome.status, 2) << arguments[1] << ": " << outcome.err;
    EXPECT_FALSE(outcome.err.empty());
  }
  EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing ran, nothing was written";
}

// Fills a device to its last byte.
void Fill(const fs::path& device) {
  const int fd = ::open((device / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string block(4096, 'x');
  for (std::size_t size = block.size(); size > 0; size = size == 1 ? 0 : 1) {
    while (::write(fd, block.data(), size) > 0) {
    }
  }
  ::close(fd);
}

// A picture that cannot be written is a run-time error naming the file, with
// no claim of success and no partial file under the name; a directory that
// takes no file at all is found before anything runs (a usage error).
TEST(BatchPlot, APictureThatCannotBeWrittenIsARunTimeError) {
  testing::ScratchMount full(64 * 1024);
  testing::ScratchMount readOnly(64 * 1024, true);
  if (!full.mounted() || !readOnly.mounted()) GTEST_SKIP() << "no tmpfs: " << full.failure();
  Fill(full.path());
  TempDirectory dir;
  TempDirectory loops;
  const std::vector<std::string> log10NLoop = {"--mode",        "3", "--iterations", "2",
                                               "--log10n-from", "1", "--log10n-to",  "2",
                                               "--maxgen",      "10"};
  ASSERT_EQ(RunBatchIn(loops.path(), {"--mode", "2", "--maxgen", "2", "--quiet"}).status, 0);
  struct Case {
    std::vector<std::string> arguments;
    fs::path picture;
    const char* reason;
    int status = 3;
  };
  auto with = [](std::vector<std::string> arguments, const fs::path& picture) {
    arguments.insert(arguments.end(), {"--plot", picture.string()});
    return arguments;
  };
  const std::vector<Case> cases = {
      {{"--maxgen", "10"}, full.path() / "plot.png", "No space left on device"},
      {{"--maxgen", "10"}, full.path() / "plot.svg", "No space left on device"},
      {log10NLoop, full.path() / "sweep.svg", "No space left on device"},
      {{"--mode", "2", "--maxgen", "2"}, full.path() / "sweep.png", "No space left on device"},
      {{"--replot", loops.string()}, full.path() / "sweep.png", "No space left on device"},
      {{"--maxgen", "10"}, readOnly.path() / "plot.png", "Read-only file system", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture.string() + " after " + c.arguments[0] + " " + c.arguments[1]);
    const auto outcome = RunBatchIn(dir.path(), with(c.arguments, c.picture));
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_NE(outcome.err.find(c.picture.string()), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(c.reason), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out.find("picture"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("plot written"), std::string::npos) << outcome.out;
    EXPECT_FALSE(fs::exists(c.picture));
  }
  EXPECT_EQ(fs::directory_iterator(full.path())->path().filename(), "filler")
      << "no temporary file left behind";
}

// Something that is not a regular file in the place of a picture (before the
// start) or of a report file to draw from is refused at once; a FIFO would
// hang the start.
TEST(BatchPlot, AFifoInThePlaceOfAPictureOrAReportFileIsRefused) {
  TempDirectory dir;
  ASSERT_EQ(::mkfifo((dir / "plot.png").c_str(), 0600), 0);
  const auto plot = RunBatchIn(dir.path(), {"--maxgen", "10", "--plot", "plot.png"});
  EXPECT_EQ(plot.status, 2);
  EXPECT_FALSE(fs::exists(dir / "ReportFile1.txt"));
  EXPECT_NE(plot.err.find("--plot: \"plot.png\": a FIFO is in the way"), std::string::npos)
      << plot.err;

  TempDirectory reports;
  ASSERT_EQ(::mkfifo((reports / "ReportFile2.txt").c_str(), 0600), 0);
  const auto replot = RunBatchIn(reports.path(), {"--replot", "."});
  EXPECT_EQ(replot.status, 3);
  EXPECT_NE(replot.err.find("ReportFile2.txt: cannot be read: it is not a regular file"),
            std::string::npos)
      << replot.err;
}

}  // namespace
}  // namespace recmod
