#include "driver/ResultsTableWatch.hpp"

#include "model/RecordedTable.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/ShortestNumber.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "run/LoopExecutor.hpp"
#include "run/LoopRuns.hpp"
#include "run/SweepRange.hpp"

namespace recmod {

namespace {

// The recorded table of every generation of a single run (the plotted table:
// deme 1, or the means over demes), one row per generation.
struct TableRow {
  int generation;
  double frequencies[2][16];
};

// Runs a loop on the executor it was meant for, keeping every result.
class TableExecutor final : public LoopExecutor {
 public:
  explicit TableExecutor(LoopExecutor& inner) : inner_(inner) {}
  bool RunsOnCallingThread() const override { return inner_.RunsOnCallingThread(); }
  void Execute(std::int64_t runCount, Engine& master, const LoopBody& body) override {
    results.clear();
    LoopBody kept = body;
    kept.consume = [&](std::int64_t position, const RunEnd& result) {
      results.push_back(result.rPlus);
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
      sim.watchGenerations = [this](const Engine& engine) {
        if (engine.Generation < 1) return;
        const int slot = RecordedSlot(engine.params.Demes);
        TableRow row{engine.Generation, {}};
        for (int c = 0; c <= 1; ++c) {
          for (int h = 1; h <= engine.tables.HaplotypeCount; ++h) {
            row.frequencies[c][h - 1] = engine.population.Freq(slot + c, 1, h);
          }
        }
        rows.push_back(row);
      };
      return;
    }
    if (sim.loopExecutor == nullptr) {
      ownExecutor = MakeLoopExecutor(sim.threads);
      sim.loopExecutor = ownExecutor.get();
    }
    executor = std::make_unique<TableExecutor>(*sim.loopExecutor);
    sim.loopExecutor = executor.get();
  }
  std::vector<TableRow> rows;
  std::unique_ptr<LoopExecutor> ownExecutor;
  std::unique_ptr<TableExecutor> executor;
};

ResultsTableWatch::ResultsTableWatch(Simulator& sim)
    : sim_(sim), watchBefore_(sim.watchGenerations), executorBefore_(sim.loopExecutor) {
  parts_ = std::make_unique<Parts>(sim);
}

ResultsTableWatch::~ResultsTableWatch() {
  sim_.watchGenerations = watchBefore_;
  sim_.loopExecutor = executorBefore_;
}

std::string ResultsTableWatch::Text(const Simulator& sim) const {
  std::string text;
  const RunMode& mode = sim.runMode;
  if (mode.SingleRun) {
    text = "generation,class,haplotype,frequency\n";
    const HaplotypeTables& tables = sim.engine.tables;
    for (const TableRow& row : parts_->rows) {
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
