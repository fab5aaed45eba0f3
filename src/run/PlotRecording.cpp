#include "run/PlotRecording.hpp"
#include "output/FrequencyPlot.hpp"
#include "run/Engine.hpp"

namespace recmod {

void PlotRecording::AfterGeneration(const Engine& engine) {
  if (engine.Generation < 1) return;
  RecordGeneration(recorder_, engine.Generation, engine.params.Demes, engine.params.MaxGen,
                   engine.tables, engine.population, singleRun_, plot_, reports_);
}

}  // namespace recmod
