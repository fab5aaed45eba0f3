#include "BatchSession.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "BatchFrontEnd.hpp"
#include "BatchPictures.hpp"
#include "BatchRecord.hpp"
#include "BatchSignals.hpp"
#include "BatchStudy.hpp"
#include "EscapedText.hpp"
#include "OutputPaths.hpp"
#include "ProcessOutput.hpp"
#include "RepeatStart.hpp"
#include "ResultsTable.hpp"
#include "VerifyScratch.hpp"
#include "driver/ExperimentDriver.hpp"
#include "driver/StartSeed.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/NumberText.hpp"
#include "output/ReportFiles.hpp"
#include "record/RunRecord.hpp"
#include "run/Engine.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::batch {

namespace {

constexpr int kSaveDirectoryField = 30;

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

namespace {

int RunRequest(const BatchRequest& request, const BatchHooks& hooks) {
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
      if (!RecordedStartFinished(*recorded)) {
        std::fprintf(stderr,
                     "recmod-batch: warning: %s records a start that did not finish (%s); the "
                     "files are made again but not compared\n",
                     EscapedText(*request.repeatFile).c_str(),
                     EscapedText(recorded->record["status"].get<std::string>()).c_str());
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
      return FinishStandardOutput();
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

    // Every output is checked before the start does any work.
    OutputPaths outputs;
    outputs.table = request.tableFile;
    outputs.picture = request.plotFile;
    CheckOutputPaths(outputs, sim.controls.Text(kSaveDirectoryField));

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

    // The directory stays this start's until its final record is written:
    // its table and picture are made from this start's files, and the record
    // speaks of those files alone.
    sim.reports.HoldDirectories();
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
    if (hooks.afterStart) hooks.afterStart(sim);

    // The outputs of a finished start, each whole or absent; a signal that
    // comes meanwhile lets the one being written finish and skips the rest.
    std::string outputFailure;
    std::vector<std::string> outputNotes;
    bool outputsSkipped = false;
    if (outcome == StartOutcome::Finished) {
      auto attempt = [&](const char* option, const auto& write) {
        if (signals.ReceivedSignal() != 0) {
          outputsSkipped = true;
          return;
        }
        std::string failure;
        try {
          write();
        } catch (const RuntimeError& error) {
          failure = error.detail();  // the path and the system's reason
        } catch (const std::exception& error) {
          failure = error.what();
        }
        if (!failure.empty()) {
          outputFailure += std::string(outputFailure.empty() ? "" : "; ") + option + ": " + failure;
        }
      };
      if (table) attempt("--table", [&] { table->Write(sim); });
      if (plotExport) {
        attempt("--plot", [&] {
          const std::string note = plotExport->Write(sim);
          if (!note.empty()) outputNotes.push_back(note);
        });
      }
    }
    bool recordWritten = true;
    if (!outputFailure.empty()) {
      recordWritten = WriteEndRecord(record, sim, RecordStatus::Error, outputFailure);
    } else if (outputsSkipped) {
      recordWritten = WriteEndRecord(record, sim, RecordStatus::Stopped,
                                     "stopped by a signal before every output was written");
    } else {
      recordWritten = EndRecord(record, sim, outcome, frontEnd.messages());
    }
    sim.reports.ReleaseDirectories();
    // The report files are closed; now say why the start ended early.
    if (const int signal = signals.ReceivedSignal(); signal != 0) {
      std::fprintf(stderr, "recmod-batch: %s: %s; the report files keep every complete line\n",
                   SignalName(signal).c_str(),
                   outcome == StartOutcome::Stopped ? "stopped after a generation"
                   : outputsSkipped ? "received after the start had ended; outputs not yet "
                                      "written were skipped"
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
    if (!request.quiet) {
      ReportWhereFilesWent(sim);
      for (const std::string& note : outputNotes) std::printf("%s\n", note.c_str());
    }
    if (!outputFailure.empty()) {
      std::fprintf(stderr, "recmod-batch: %s\n", outputFailure.c_str());
      return kExitRuntimeError;
    }
    if (!recordWritten) return kExitRuntimeError;
    if (recorded && record) {
      const std::vector<std::string> differing = DifferencesFromRecord(record->json(), *recorded);
      for (const std::string& notice : differing) std::fprintf(stderr, "%s\n", notice.c_str());
      if (!differing.empty()) return kExitDiffers;
    }
    return FinishStandardOutput();
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

// --verify: the recorded start repeated in a scratch directory of its own,
// which goes with everything in it once the files have been compared.
int VerifyRecord(const BatchRequest& request, const BatchHooks& hooks) {
  const std::string& path = *request.verifyFile;
  try {
    const RecordedStart recorded = ReadRecordedStart(path);
    if (!RecordedStartFinished(recorded)) {
      throw UsageError("--verify: " + EscapedText(path) + " records a start that did not finish (" +
                       EscapedText(recorded.record["status"].get<std::string>()) +
                       "); only a finished start can be verified");
    }
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    return kExitUsage;
  }
  const std::optional<std::string> made = MakeVerifyScratch();
  if (!made) return kExitRuntimeError;
  const std::string& scratch = *made;
  BatchRequest repeat = request;
  repeat.verifyFile.reset();
  repeat.repeatFile = path;
  repeat.fields.push_back(FieldTyping{kSaveDirectoryField, scratch, "--verify"});
  repeat.quiet = true;
  int status = RunRequest(repeat, hooks);
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  // A start that the program now refuses cannot be repeated either.
  if (status == kExitRefused) status = kExitUsage;
  if (status == kExitSuccess && !request.quiet) {
    std::printf("%s: every report file is the same as recorded\n", EscapedText(path).c_str());
    status = FinishStandardOutput();
  }
  return status;
}

}  // namespace

int RunBatch(const BatchRequest& request, const BatchHooks& hooks) {
  if (request.IsStudy()) return RunStudyRequest(request, hooks);
  if (request.repeatFile && IsStudyRecordFile(*request.repeatFile)) {
    return RepeatStudyRecord(request, hooks);
  }
  if (request.verifyFile && IsStudyRecordFile(*request.verifyFile)) {
    return VerifyStudyRecord(request, hooks);
  }
  if (request.verifyFile) return VerifyRecord(request, hooks);
  return RunRequest(request, hooks);
}

}  // namespace recmod::batch
