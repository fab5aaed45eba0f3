#include "lanes/SideBySide.hpp"

#include <memory>
#include <vector>

#include "lanes/BatchConstants.hpp"
#include "lanes/LanePath.hpp"
#include "model/RecordedTable.hpp"
#include "model/RuntimeError.hpp"
#include "output/FrequencyPlot.hpp"
#include "run/Engine.hpp"
#include "run/GenerationCycle.hpp"

namespace recmod {

namespace {

// The generations of the last batch that ran side by side, for drawing (loops
// that are watched run on one thread).
struct DrawnBatch {
  LaneHistory history;
  std::int64_t first = 0;
  bool valid = false;
};

bool AllAgree(std::span<const Engine> runs) {
  const BatchConstants shared = BatchConstantsOf(runs.front());
  for (const Engine& run : runs) {
    if (!(BatchConstantsOf(run) == shared)) return false;
  }
  return true;
}

// Runs lanes[0 .. count - 1], set up, in stretches of consecutive runs that
// agree in the constants of a batch, each stretch side by side in a batch of
// its own (filled up with copies of its first run). False when a stretch
// must go one at a time.
bool RunStretches(std::span<Engine> lanes, int count, const RunInputs& inputs, const RunMode& mode,
                  const std::atomic<bool>* stopRequested, std::span<RunEnd> results) {
  std::vector<Engine> stretch(lanes.size());
  int first = 0;
  while (first < count) {
    const BatchConstants shared = BatchConstantsOf(lanes[static_cast<std::size_t>(first)]);
    int end = first + 1;
    while (end < count && BatchConstantsOf(lanes[static_cast<std::size_t>(end)]) == shared) ++end;
    for (std::size_t l = 0; l < stretch.size(); ++l) {
      const int run = first + static_cast<int>(l) < end ? first + static_cast<int>(l) : first;
      stretch[l] = lanes[static_cast<std::size_t>(run)];
    }
    if (RunLaneBatch(stretch, inputs, mode, stopRequested, nullptr) != LaneOutcome::Finished) {
      return false;
    }
    for (int run = first; run < end; ++run) {
      results[static_cast<std::size_t>(run)] = stretch[static_cast<std::size_t>(run - first)].End();
    }
    first = end;
  }
  return true;
}

}  // namespace

void DrawRecordedRun(const LaneHistory& history, int run, const Engine& shape, Recorder& recorder,
                     PlotSurface& plot) {
  PopulationState table;
  const int slot = RecordedSlot(shape.params.Demes);
  const int count = shape.tables.HaplotypeCount;
  for (std::int16_t generation = 1; generation <= history.generations; ++generation) {
    const double* row = history.Of(run, generation);
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= count; ++h) table.Freq(slot + c, 1, h) = *row++;
    }
    RecordGeneration(recorder, generation, shape.params.Demes, shape.params.MaxGen, shape.tables,
                     table, false, plot, nullptr);
  }
}

void RunSideBySide(LoopBody& body, SetUpRun setUp, const Engine& prepared, const RunInputs& inputs,
                   const RunMode& mode, const std::atomic<bool>* stopRequested,
                   PlotSurface* watched, Recorder* recorder) {
  if (ActiveLanePath() == LanePath::Scalar || !LanesApply(prepared, inputs, mode)) return;
  const int width = LaneWidth();
  auto drawn = watched != nullptr ? std::make_shared<DrawnBatch>() : nullptr;
  const RunInputs* in = &inputs;
  const Engine* shape = &prepared;
  body.batchSize = width;
  body.runBatch = [=](std::int64_t first, int count, std::span<Engine> lanes,
                      std::span<RunEnd> results) {
    if (drawn) drawn->valid = false;
    CollectedMessages messages;
    try {
      for (int i = 0; i < count; ++i) {
        Engine& lane = lanes[static_cast<std::size_t>(i)];
        setUp(first + i, lane, messages);
      }
    } catch (const RuntimeError&) {
      return false;
    }
    if (messages.count > 0) return false;
    if (!AllAgree(lanes.first(static_cast<std::size_t>(count)))) {
      // A sweep over a constant of the batch: each stretch of runs that share
      // it goes side by side on its own.
      if (drawn) return false;
      return RunStretches(lanes, count, *in, mode, stopRequested, results);
    }
    // Lanes beyond the last run repeat the first.
    for (std::size_t l = static_cast<std::size_t>(count); l < lanes.size(); ++l) {
      lanes[l] = lanes[0];
    }
    LaneHistory* history = nullptr;
    if (drawn) {
      drawn->history.Resize(count, 2 * lanes[0].tables.HaplotypeCount, lanes[0].params.MaxGen);
      history = &drawn->history;
    }
    if (RunLaneBatch(lanes, *in, mode, stopRequested, history) != LaneOutcome::Finished) {
      return false;
    }
    for (int i = 0; i < count; ++i) {
      results[static_cast<std::size_t>(i)] = lanes[static_cast<std::size_t>(i)].End();
    }
    if (drawn) {
      drawn->first = first;
      drawn->valid = true;
    }
    return true;
  };
  // A batch finishes all its runs before the first of them is consumed; a stop
  // asked for meanwhile ends the loop before the next result, as it would
  // have ended that run in its next generation.
  auto consume = body.consume;
  body.consume = [=](std::int64_t position, const RunEnd& result) {
    if (stopRequested != nullptr && stopRequested->load(std::memory_order_relaxed)) {
      throw StartStopped{};
    }
    if (drawn && drawn->valid && position >= drawn->first &&
        position < drawn->first + drawn->history.runs) {
      DrawRecordedRun(drawn->history, static_cast<int>(position - drawn->first), *shape, *recorder,
                      *watched);
    }
    consume(position, result);
  };
}

}  // namespace recmod
