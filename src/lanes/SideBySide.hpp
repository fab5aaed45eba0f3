#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "lanes/LaneBatch.hpp"
#include "output/FrequencyPlot.hpp"
#include "output/MessageSink.hpp"
#include "output/PlotSurface.hpp"
#include "run/LoopExecutor.hpp"

namespace recmod {

// What a loop's body.run does to a run's engine before its generations: its
// numbers, its generator and StartRun with the run's own inputs (the start
// state and the mutation coefficients).
using SetUpRun = std::function<void(std::int64_t position, Engine& engine, MessageSink& messages)>;

// Lets `body` run its positions side by side in batches of LaneWidth(), when
// the loop's settings allow it (LanesApply): each run of a batch set up by
// `setUp`, then all advanced together by RunLaneBatch. A batch
// in which a run shows a message or meets a run-time error is declined, and
// the executor runs its positions one at a time through body.run. With
// `watched`, body.consume first draws the run's curves onto `watched` with
// `recorder` (as its generations would have drawn them one at a time).
// `prepared`, `inputs`, `stopRequested`, `watched` and `recorder` must
// outlive the loop.
void RunSideBySide(LoopBody& body, SetUpRun setUp, const Engine& prepared, const RunInputs& inputs,
                   const RunMode& mode, const std::atomic<bool>* stopRequested,
                   PlotSurface* watched = nullptr, Recorder* recorder = nullptr);

// Draws run `run` of `history` as RecordGeneration draws each of its
// generations, onto `plot` with `recorder`; `shape` gives the tables, demes
// and MaxGen of the runs.
void DrawRecordedRun(const LaneHistory& history, int run, const Engine& shape, Recorder& recorder,
                     PlotSurface& plot);

}  // namespace recmod
