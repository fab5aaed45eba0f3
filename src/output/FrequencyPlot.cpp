#include "output/FrequencyPlot.hpp"

#include "model/HaplotypeTables.hpp"
#include "model/PopulationState.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/NumberText.hpp"
#include "output/PlotSurface.hpp"
#include "output/ReportFiles.hpp"

namespace recmod {

void PlotCurvePoint(Recorder& recorder, int k, std::int16_t generation, bool singleRun,
                    PlotSurface& plot) {
  if (k < 0 || k > 16) ThrowSubscriptOutOfRange("PrevPlotY", k);
  const double height = static_cast<double>(plot.DrawingHeight());
  const double y = (height - 1.0) * (1.0 - recorder.CumulativeFrequency);
  auto& previousY = recorder.PrevPlotY[static_cast<std::size_t>(k)];
  if (generation == 1) {
    plot.DrawPoint(static_cast<float>(recorder.PlotX), static_cast<float>(y));
  } else {
    plot.DrawLine(static_cast<float>(recorder.PrevPlotX), static_cast<float>(previousY),
                  static_cast<float>(recorder.PlotX), static_cast<float>(y));
  }
  previousY = y;
  if (singleRun) {
    recorder.ReportLine += NumberText(recorder.CumulativeFrequency);
    recorder.ReportLine += '\t';
  }
}

void RecordGeneration(Recorder& recorder, std::int16_t generation, std::int16_t demes,
                      std::int16_t maxGen, const HaplotypeTables& tables,
                      const PopulationState& population, bool singleRun, PlotSurface& plot,
                      ReportFiles* reports) {
  const int recordedSlot = demes <= 1 ? 0 : 3;
  const int count = tables.HaplotypeCount;
  if (singleRun) recorder.ReportLine.clear();
  if (maxGen == 0) throw RuntimeError(ErrorKind::DivisionByZero, "MaxGen is 0");
  recorder.PlotX = static_cast<double>(generation) * static_cast<double>(plot.DrawingWidth()) /
                   static_cast<double>(maxGen);
  recorder.CumulativeFrequency = 0.0;
  plot.SetColour(kSexColour);
  for (int h = 1; h <= count; ++h) {
    recorder.CumulativeFrequency =
        recorder.CumulativeFrequency + population.Freq(recordedSlot, 1, h);
    PlotCurvePoint(recorder, h, generation, singleRun, plot);
  }
  recorder.SexFrequency = recorder.CumulativeFrequency;
  plot.SetColour(kAsexColour);
  for (int h = 1; h <= count; ++h) {
    recorder.CumulativeFrequency =
        recorder.CumulativeFrequency + population.Freq(recordedSlot + 1, 1, h);
    PlotCurvePoint(recorder, count + h, generation, singleRun, plot);
  }
  recorder.PrevPlotX = recorder.PlotX;
  if (singleRun && reports != nullptr) reports->WriteLine(1, recorder.ReportLine);
}

std::string ReportFile1Header(const HaplotypeTables& tables) {
  std::string header;
  for (int slot = 0; slot <= 1; ++slot) {
    for (int h = 1; h <= tables.HaplotypeCount; ++h) {
      if (!header.empty()) header += '\t';
      header += HaplotypeLabel(tables, h, slot);
    }
  }
  return header;
}

}  // namespace recmod
