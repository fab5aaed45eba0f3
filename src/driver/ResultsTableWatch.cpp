#include "driver/ResultsTableWatch.hpp"

#include "numbers/DecimalParse.hpp"
#include "numbers/ShortestNumber.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "run/LoopExecutor.hpp"
#include "run/LoopRuns.hpp"
#include "run/SweepRange.hpp"

namespace recmod {

namespace {

// Passes every drawing on, and keeps the recorded table of the engine each
// time a generation starts to draw it (RecordGeneration sets the R+ colour
// first, when the generation's frequencies are final).
class TableSurface final : public PlotSurface {
 public:
  TableSurface(PlotSurface& inner, const Engine& engine) : inner_(inner), engine_(engine) {}
  void Clear() override { inner_.Clear(); }
  void Refresh() override { inner_.Refresh(); }
  void SetPosition(float x, float y) override { inner_.SetPosition(x, y); }
  float DrawingWidth() const override { return inner_.DrawingWidth(); }
  float DrawingHeight() const override { return inner_.DrawingHeight(); }
  void SetColour(Rgb colour) override {
    if (colour == kSexColour) Keep();
    inner_.SetColour(colour);
  }
  void DrawPoint(float x, float y) override { inner_.DrawPoint(x, y); }
  void DrawLine(float x1, float y1, float x2, float y2) override {
    inner_.DrawLine(x1, y1, x2, y2);
  }

  struct Row {
    int generation;
    double frequencies[2][16];
  };
  std::vector<Row> rows;

 private:
  void Keep() {
    const int recordedSlot = engine_.params.Demes <= 1 ? 0 : 3;
    Row row{engine_.Generation, {}};
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= engine_.tables.HaplotypeCount; ++h) {
        row.frequencies[c][h - 1] = engine_.population.Freq(recordedSlot + c, 1, h);
      }
    }
    rows.push_back(row);
  }

  PlotSurface& inner_;
  const Engine& engine_;
};

// Runs a loop on the executor it was meant for, keeping every result.
class TableExecutor final : public LoopExecutor {
 public:
  explicit TableExecutor(LoopExecutor& inner) : inner_(inner) {}
  bool RunsOnCallingThread() const override { return inner_.RunsOnCallingThread(); }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override {
    results.clear();
    LoopBody kept = body;
    kept.consume = [&](std::int64_t position, double result) {
      results.push_back(result);
      body.consume(position, result);
    };
    inner_.Execute(runCount, master, kept);
  }
  std::vector<double> results;

 private:
  LoopExecutor& inner_;
};

}  // namespace

class ResultsTableWatch::Parts {
 public:
  explicit Parts(Simulator& sim) {
    if (sim.runMode.SingleRun) {
      surface = std::make_unique<TableSurface>(*sim.plot, sim.engine);
      sim.plot = surface.get();
      return;
    }
    if (sim.loopExecutor == nullptr) {
      ownExecutor = MakeLoopExecutor(sim.threads);
      sim.loopExecutor = ownExecutor.get();
    }
    executor = std::make_unique<TableExecutor>(*sim.loopExecutor);
    sim.loopExecutor = executor.get();
  }
  std::unique_ptr<TableSurface> surface;
  std::unique_ptr<LoopExecutor> ownExecutor;
  std::unique_ptr<TableExecutor> executor;
};

ResultsTableWatch::ResultsTableWatch(Simulator& sim)
    : sim_(sim), plotBefore_(sim.plot), executorBefore_(sim.loopExecutor) {
  parts_ = std::make_unique<Parts>(sim);
}

ResultsTableWatch::~ResultsTableWatch() {
  sim_.plot = plotBefore_;
  sim_.loopExecutor = executorBefore_;
}

std::string ResultsTableWatch::Text(const Simulator& sim) const {
  std::string text;
  const RunMode& mode = sim.runMode;
  if (mode.SingleRun) {
    text = "generation,class,haplotype,frequency\n";
    const HaplotypeTables& tables = sim.engine.tables;
    for (const auto& row : parts_->surface->rows) {
      for (int c = 0; c <= 1; ++c) {
        for (int h = 1; h <= tables.HaplotypeCount; ++h) {
          text += std::to_string(row.generation) + (c == 0 ? ",R+," : ",R-,") +
                  HaplotypeLabel(tables, h, 0) + "," + ShortestNumber(row.frequencies[c][h - 1]) +
                  "\n";
        }
      }
    }
  } else if (mode.LoopOverSK) {
    text = "S,K,final_rplus\n";
    const std::vector<double> sValues = SweepValues(sim.sSweep);
    const std::vector<double> kValues = SweepValues(sim.kSweep);
    const std::vector<double>& results = parts_->executor->results;
    for (std::size_t p = 0; p < results.size(); ++p) {
      text += ShortestNumber(sValues[p / kValues.size()]) + "," +
              ShortestNumber(kValues[p % kValues.size()]) + "," + ShortestNumber(results[p]) + "\n";
    }
  } else if (mode.LoopOverLog10N) {
    // A run's generator follows from the seed and its position in the whole
    // sweep, of which this start may be a later part (--first-position).
    text = "log10n,iteration,seed,position,final_rplus\n";
    const std::vector<float> sizes =
        Log10NLoopValues(ParseSingle(sim.controls.Text(18)), ParseSingle(sim.controls.Text(19)));
    const auto perSize = static_cast<std::size_t>(sim.engine.params.Iterations);
    const std::vector<double>& results = parts_->executor->results;
    const std::string seed = sim.seed ? std::to_string(*sim.seed) : "";
    for (std::size_t p = 0; p < results.size(); ++p) {
      text += ShortestNumber(sizes[p / perSize]) + "," + std::to_string(p % perSize + 1) + "," +
              seed + "," + std::to_string(sim.firstPosition + static_cast<std::int64_t>(p)) + "," +
              ShortestNumber(results[p]) + "\n";
    }
  }
  return text;
}

}  // namespace recmod
