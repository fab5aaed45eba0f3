#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "output/FrequencyPlot.hpp"
#include "output/MessageSink.hpp"
#include "output/PlotSurface.hpp"
#include "run/RunMode.hpp"
#include "run/SweepRange.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {

class LoopExecutor;
class ReportFiles;
struct Engine;
struct HaplotypeTables;
struct RunInputs;

// Bounds and start-up values of the fields 0..20, filled once at start-up.
struct FieldTables {
  std::array<float, 21> FieldMinimum{};
  std::array<float, 21> FieldMaximum{};
  std::array<float, 21> FieldDefault{};
  std::string DefaultDirectory;
};

// What a front end is told while the handlers run. Every method may be called
// from the thread that runs a start.
class FrontEnd : public MessageSink {
 public:
  // The text of txt `index` changed during a start and should show now.
  virtual void RefreshField(int /*index*/) {}
  // A run of a start has finished: runsDone of runsTotal (0 when unknown).
  virtual void RunFinished(long long /*runsDone*/, long long /*runsTotal*/) {}
};

// A front end that shows nothing and keeps the last message.
class SilentFrontEnd final : public FrontEnd {
 public:
  void ShowMessage(const std::string& text) override { lastMessage = text, ++messageCount; }
  std::string lastMessage;
  int messageCount = 0;
};

// The state of the one window: its controls, the fixed field tables, the
// run-mode flags, the engine of the runs and the open report files. Front
// ends hold one and drive it through the handlers (Form_Load, txt_LostFocus,
// Option1_GotFocus, the click handlers, Start_Click); the window only maps
// widgets to `controls`.
struct Simulator {
  Simulator();
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

 private:
  // The inputs, engine and report files live apart from the rest, so that
  // the many files that handle only the controls need none of their headers;
  // the references below name them for the files that do.
  struct RunParts;
  std::unique_ptr<RunParts> parts_;

 public:
  ControlValues controls;
  FieldTables fields;
  RunMode runMode;
  // What the engine is handed, read from the controls at every start.
  RunInputs& inputs;
  Engine& engine;
  // The engine's haplotype tables (engine.tables), which the loci option
  // builds: the window's logic reaches them without the engine's header.
  HaplotypeTables& tables;
  // The save directory that the last start read from its field
  // (engine.params.SaveDirectory).
  const std::string& StartDirectory() const;
  // The state of the plot's recorder, kept from run to run of a start.
  Recorder recorder;
  ReportFiles& reports;

  // The picture box; a surface that draws nothing until a front end sets one.
  PlotSurface* plot;
  // Whether a front end has set a surface of its own.
  bool PlotWatched() const { return plot != &nullPlot_; }
  // Messages, field refreshes and progress; silent until a front end sets one.
  FrontEnd* frontEnd;

  // Set from any thread to stop a running start after its current generation.
  std::atomic<bool> stopRequested{false};
  // A reproducible start: modes 0 to 2 start the generator from it, mode 3
  // seeds every run from it and the run's position. Without it mode 3 seeds
  // every run from the time of day.
  std::optional<std::uint64_t> seed;
  // Threads for the runs of the loops (modes 2 and 3). With 1 the runs follow
  // one another on the thread of the start and draw in the picture box, as
  // the window shows them; with more, runs go in parallel out of sight and
  // their results are written in loop order, the same report files either way.
  int threads = 1;
  // The values of S and K that mode 2 visits.
  SweepRange sSweep = kDefaultSSweep;
  SweepRange kSweep = kDefaultKSweep;
  // Where the runs of the loops go when set (runs spread over processes, for
  // one); otherwise an executor for `threads` is made for each loop.
  LoopExecutor* loopExecutor = nullptr;
  // The position of the first run of mode 3 within a larger sweep that this
  // start is a part of: runs are seeded, and S handed on, as at that position.
  std::int64_t firstPosition = 0;
  // Called when a start has passed its checks, just before it opens its
  // report files; what it raises ends the start as a run-time error would.
  std::function<void(Simulator&)> onStartAccepted;
  // Called after the start state (Generation 0) and after every generation of
  // each run that the window shows, after the plot has recorded it.
  std::function<void(const Engine&)> watchGenerations;

 private:
  NullPlotSurface nullPlot_;
  SilentFrontEnd silentFrontEnd_;
};

}  // namespace recmod
