#include "BatchSession.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "BatchFrontEnd.hpp"
#include "BatchPictures.hpp"
#include "BatchRecord.hpp"
#include "BatchSignals.hpp"
#include "EscapedText.hpp"
#include "RepeatStart.hpp"
#include "ResultsTable.hpp"
#include "driver/ExperimentDriver.hpp"
#include "model/RuntimeError.hpp"
#include "output/NumberText.hpp"
#include "output/ReportFiles.hpp"
#include "ui/DecimalParse.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/RunRecord.hpp"
#include "ui/StartSeed.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::batch {

namespace {

// Notices are made only as --quiet allows (DescribeChanges); all are told.
void PrintNotices(std::vector<std::string>& notices) {
  for (const std::string& notice : notices) std::fprintf(stderr, "%s\n", notice.c_str());
  notices.clear();
}

void ReportWhereFilesWent(const Simulator& sim) {
  const std::string directory = ReportDirectory(sim.engine.params.SaveDirectory);
  const char* files = nullptr;
  switch (StartKindOf(sim.runMode)) {
    case StartKind::SingleRun:
      files = "ReportFile1.txt";
      break;
    case StartKind::LoopOverSK:
      files = "ReportFile2.txt";
      break;
    case StartKind::LoopOverLog10N:
      files = "ReportFile2.txt and ReportFile3.txt";
      break;
    case StartKind::Nothing:
      break;
  }
  if (files != nullptr) std::printf("%s written to %s\n", files, directory.c_str());
}

}  // namespace

std::uint64_t DrawSeed() {
  return DrawStartSeed();
}

int RunBatch(const BatchRequest& request, const BatchHooks& hooks) {
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  const bool showProgress = request.progress || (terminal && !request.quiet);
  BatchFrontEnd frontEnd(showProgress, terminal, !request.progress);
  Simulator sim;
  sim.frontEnd = &frontEnd;
  sim.seed = request.seed;
  std::vector<std::string> notices;

  try {
    std::optional<RecordedStart> recorded;
    if (request.repeatFile) {
      recorded = ReadRecordedStart(*request.repeatFile);
      if (!recorded->versionWarning.empty()) {
        std::fprintf(stderr, "%s\n", recorded->versionWarning.c_str());
      }
      ApplyRecordedStart(sim, *recorded, request);
    } else {
      ApplyRequest(sim, request, notices);
    }
    PrintNotices(notices);
    if (request.replotDirectory) return ReplotSweep(request, sim);

    const ControlSnapshot beforeValidation = TakeSnapshot(sim.controls);
    if (request.listFields) {
      ValidateInputs(sim);
      notices = DescribeChanges(beforeValidation, sim.controls, request.quiet);
      PrintNotices(notices);
      PrintFields(sim.controls);
      return kExitSuccess;
    }

    if (hooks.beforeStart && !hooks.beforeStart(sim)) return kExitSuccess;

    // Every start that draws random numbers has a seed; one drawn here is
    // shown once the start has run (whatever ended it) and recorded, so that
    // it can be repeated. The processes of an MPI job agree on the seed of a
    // loop; a single run is rank 0's alone.
    const bool seedDrawn = !sim.seed && StartDrawsRandomNumbers(sim.runMode);
    if (seedDrawn) {
      sim.seed = hooks.drawSeed && !sim.runMode.SingleRun ? hooks.drawSeed() : DrawSeed();
    }
    auto showDrawnSeed = [&] {
      if (seedDrawn && !request.quiet) {
        std::fprintf(stderr, "seed: %llu\n", static_cast<unsigned long long>(*sim.seed));
      }
    };

    std::optional<PlotExport> plotExport;
    if (request.plotFile) {
      plotExport.emplace(*request.plotFile, sim);
      plotExport->colourHalfWidth = request.colourHalfWidth;
    }
    std::optional<ResultsTable> table;
    if (request.tableFile) table.emplace(*request.tableFile, sim);

    std::optional<RunRecord> record;
    if (hooks.writeRecord) {
      record.emplace(sim, BatchOrigin(request, hooks.mpiRanks));
      sim.onStartAccepted = [&](Simulator& accepted) {
        if (recorded) {
          try {
            CheckSameMeaning(accepted, *recorded);
          } catch (...) {
            // Not repeated: the record that was asked for stays as it is.
            record.reset();
            throw;
          }
        }
        record->WriteAccepted(accepted);
      };
    }

    // The report files stay this start's until its picture has been drawn
    // from them.
    if (plotExport) sim.reports.HoldDirectories();
    StopOnSignals signals(sim.stopRequested);
    StopForwardingFrontEnd forwarding(frontEnd, signals);
    sim.frontEnd = &forwarding;
    StartOutcome outcome;
    try {
      outcome = Start_Click(sim);
    } catch (...) {
      frontEnd.FinishProgress();
      showDrawnSeed();
      sim.frontEnd = &frontEnd;
      EndRecordAfterFailure(record, sim);
      throw;
    }
    frontEnd.FinishProgress();
    sim.frontEnd = &frontEnd;
    if (outcome != StartOutcome::Refused) showDrawnSeed();
    const bool recordWritten = EndRecord(record, sim, outcome, frontEnd.messages());
    // The report files are closed; now say why the start ended early.
    if (const int signal = signals.ReceivedSignal(); signal != 0) {
      std::fprintf(stderr, "recmod-batch: %s: %s; the report files keep every complete line\n",
                   SignalName(signal).c_str(),
                   outcome == StartOutcome::Stopped ? "stopped after a generation"
                                                    : "received after the start had ended");
      return 128 + signal;
    }

    notices = DescribeChanges(beforeValidation, sim.controls, request.quiet);
    PrintNotices(notices);
    switch (outcome) {
      case StartOutcome::Refused:
        // The system's own message, verbatim.
        for (const std::string& message : frontEnd.messages()) {
          std::fprintf(stderr, "%s\n", message.c_str());
        }
        return kExitRefused;
      case StartOutcome::Stopped:
        std::fprintf(stderr,
                     "recmod-batch: stopped; the report files keep the lines written so far\n");
        return kExitInterrupted;
      case StartOutcome::Finished:
        break;
    }
    if (!request.quiet) ReportWhereFilesWent(sim);
    if (recorded && record) {
      for (const std::string& notice : DifferencesFromRecord(record->json(), *recorded)) {
        std::fprintf(stderr, "%s\n", notice.c_str());
      }
    }
    if (table) table->Write(sim);
    if (plotExport) {
      try {
        const std::string note = plotExport->Write(sim);
        if (!request.quiet && !note.empty()) std::printf("%s\n", note.c_str());
      } catch (const std::exception& error) {
        std::fprintf(stderr, "recmod-batch: --plot: %s\n", error.what());
        return kExitRuntimeError;
      }
      // A signal that came while the picture was drawn ends the program as
      // it asked; the picture is whole or absent, never torn.
      if (const int signal = signals.ReceivedSignal(); signal != 0) {
        std::fprintf(stderr, "recmod-batch: %s: received while the picture was written\n",
                     SignalName(signal).c_str());
        return 128 + signal;
      }
    }
    return recordWritten ? kExitSuccess : kExitRuntimeError;
  } catch (const UsageError& error) {
    PrintNotices(notices);
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    return kExitUsage;
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    return kExitRuntimeError;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    return kExitRuntimeError;
  }
}

}  // namespace recmod::batch
