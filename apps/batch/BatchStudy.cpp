#include "BatchStudy.hpp"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "BatchControls.hpp"
#include "BatchFrontEnd.hpp"
#include "BatchSignals.hpp"
#include "EscapedText.hpp"
#include "OutputPaths.hpp"
#include "ProcessOutput.hpp"
#include "StudyPictureFile.hpp"
#include "VerifyScratch.hpp"
#include "driver/SweepOptionText.hpp"
#include "model/RuntimeError.hpp"
#include "numbers/DecimalParse.hpp"
#include "numbers/ShortestNumber.hpp"
#include "output/DirectoryLock.hpp"
#include "output/ReportFiles.hpp"
#include "output/SafeFileWrite.hpp"
#include "parallel/ParallelLoopExecutor.hpp"
#include "record/RunRecord.hpp"
#include "record/StudyRecord.hpp"
#include "run/RunOutputs.hpp"
#include "sweep/StudyTables.hpp"
#include "ui/FieldCatalogue.hpp"
#include "ui/InputValidation.hpp"

namespace recmod::batch {

namespace {

namespace fs = std::filesystem;

constexpr int kSaveDirectoryField = 30;
// The most values of one axis with --force: far beyond any study, and
// within what a process can hold.
constexpr std::size_t kMostAxisValuesForced = 1'000'000'000;

std::int64_t RunLimit(bool force) {
  return force ? INT64_MAX : kMostStudyRuns;
}

// The base value of a parameter that a field holds, read as a start reads
// the field: a count rounded as the run will hold it. A parameter held in
// single precision keeps its decimal value (0.1, not the float's digits); the
// run rounds it to its float as it would the field's.
double FieldValue(const ParameterInfo& parameter, const std::string& text) {
  if (parameter.whole) return static_cast<double>(ParseInt16(text));
  return ParseDecimal(text);
}

// A study's base values: the fields and boxes after the window's validation,
// the number of loci, and the drift switches as the population has them.
std::vector<double> BaseOfControls(const Simulator& sim, const BatchRequest& request) {
  std::vector<double> base;
  for (const ParameterInfo& parameter : Parameters()) {
    const std::string name(parameter.name);
    CheckBox box{};
    if (name == "loci") {
      base.push_back(request.loci);
    } else if (name == "drift") {
      base.push_back(request.finitePopulation ? 1.0 : 0.0);
    } else if (name == "exact_sampling") {
      base.push_back(request.finitePopulation && request.exactSampling ? 1.0 : 0.0);
    } else if (const FieldEntry* field = FindFieldByParameter(name)) {
      const std::string& text = sim.controls.Text(field->index);
      if (text.find_first_not_of(' ') == std::string::npos) {
        throw UsageError("--" + std::string(field->alias) +
                         ": the field is empty; a study needs its value");
      }
      base.push_back(FieldValue(parameter, text));
    } else if (CheckBoxFromName(parameter.label, box)) {
      base.push_back(sim.controls.Ticked(box) ? 1.0 : 0.0);
    } else {
      base.push_back(parameter.startValue);
    }
  }
  return base;
}

void PrintNotices(const std::vector<std::string>& notices) {
  for (const std::string& notice : notices) std::fprintf(stderr, "%s\n", notice.c_str());
}

// Where a study's outputs go and how it shows itself.
struct StudyPlan {
  std::optional<std::string> table;
  std::optional<std::string> summary;
  std::optional<std::string> picture;
  std::string directory;  // the save directory, which receives the record
  int threads = 1;
  bool progress = false;
  bool quiet = false;
  // The runs go through this executor (an MPI job's) instead of threads of
  // this process, and a stop is asked for through `stop`.
  LoopExecutor* executor = nullptr;
  std::atomic<bool>* stop = nullptr;
  // A rank of an MPI job that only helps rank 0 with its runs: no file, no
  // output, no record.
  bool helper = false;
};

void CheckStudyOutputs(const StudyPlan& plan) {
  OutputPaths outputs;
  outputs.table = plan.table;
  outputs.picture = plan.picture;
  CheckOutputPaths(outputs, plan.directory);
  if (plan.summary) {
    OutputPaths summary;
    summary.table = plan.summary;
    try {
      CheckOutputPaths(summary, plan.directory);
    } catch (const UsageError& error) {
      std::string message = error.what();
      if (message.rfind("--table", 0) == 0) message.replace(0, 7, "--summary");
      throw UsageError(message);
    }
  }
  // The record keeps each output under its file name alone, so a repeat
  // can put both into one directory.
  if (plan.table && plan.summary &&
      fs::path(*plan.table).filename() == fs::path(*plan.summary).filename()) {
    throw UsageError("--table and --summary have the same file name \"" +
                     EscapedText(fs::path(*plan.table).filename().string()) +
                     "\"; a repeat would write one over the other");
  }
}

// Whether `values` are spaced evenly in log10 (as FROM:TO:log:COUNT makes
// them) and not evenly on a line, so that a picture draws their axis on a
// log scale.
bool EvenInLog(const std::vector<double>& values) {
  if (values.size() < 3) return false;
  for (const double value : values) {
    if (!(value > 0.0)) return false;
  }
  const double logStep = std::log10(values[1]) - std::log10(values[0]);
  const double step = values[1] - values[0];
  bool evenOnALine = true;
  for (std::size_t i = 1; i < values.size(); ++i) {
    const double thisLogStep = std::log10(values[i]) - std::log10(values[i - 1]);
    if (!(std::fabs(thisLogStep - logStep) <= 1e-9 * std::fabs(logStep))) return false;
    evenOnALine =
        evenOnALine && std::fabs(values[i] - values[i - 1] - step) <= 1e-9 * std::fabs(step);
  }
  return !evenOnALine;
}

// The picture of a study without its means, which the runs fill in.
StudyPicture PictureFrame(const Study& study) {
  StudyPicture picture;
  for (const SweepAxis& axis : study.sweep.axes) {
    picture.axes.push_back(
        StudyPictureAxis{std::string(axis.parameter->label), axis.values, EvenInLog(axis.values)});
  }
  const auto points = static_cast<std::size_t>(study.sweep.PointCount());
  picture.means.assign(points, std::nan(""));
  picture.standardErrors.assign(points, 0.0);
  picture.startFrequency = study.Base("R");
  return picture;
}

// What came of a study's runs.
struct StudyEnd {
  int exitStatus = kExitSuccess;
  StudyRecord record;
};

StudyOutput OutputOf(const std::string& path) {
  return StudyOutput{fs::path(path).filename().string(), DigestOfFile(path)};
}

// Runs the study, streaming its tables into their files, and writes its
// record into the save directory.
StudyEnd CarryOutStudy(StudyRecord record, const StudyPlan& plan) {
  const Study& study = record.study;
  const Sweep& sweep = study.sweep;
  StudyEnd end;
  std::atomic<bool> ownStop{false};
  std::atomic<bool>& stop = plan.stop != nullptr ? *plan.stop : ownStop;
  std::unique_ptr<LoopExecutor> ownExecutor;
  if (plan.executor == nullptr) ownExecutor = MakeLoopExecutor(plan.threads);
  LoopExecutor& executor = plan.executor != nullptr ? *plan.executor : *ownExecutor;
  if (plan.helper) {
    StudyObserver observer;
    observer.stopRequested = &stop;
    observer.consume = [](std::int64_t, const RunEnd&) {};
    RunStudy(study, executor, observer);
    return end;
  }
  const DirectoryLock lock(plan.directory);
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  BatchFrontEnd progress(plan.progress || (terminal && !plan.quiet), terminal, !plan.progress);
  try {
    std::optional<StreamedFileWrite> table;
    std::optional<StreamedFileWrite> summary;
    std::unique_ptr<DirectoryLock> tableLock;
    std::unique_ptr<DirectoryLock> summaryLock;
    if (plan.table) {
      tableLock = LockOutputDirectory(*plan.table, plan.directory);
      table.emplace(*plan.table);
      table->Append(RunTableHeader(study));
    }
    if (plan.summary) {
      if (!plan.table ||
          fs::path(*plan.table).parent_path() != fs::path(*plan.summary).parent_path()) {
        summaryLock = LockOutputDirectory(*plan.summary, plan.directory);
      }
      summary.emplace(*plan.summary);
      summary->Append(SummaryTableHeader(study));
    }
    const std::int64_t total = sweep.RunCount();
    std::optional<StudyPicture> picture;
    if (plan.picture) picture = PictureFrame(study);
    PointSummary point;
    StudyObserver observer;
    observer.stopRequested = &stop;
    observer.consume = [&](std::int64_t run, const RunEnd& runEnd) {
      if (table) table->Append(RunTableRow(study, run, runEnd));
      if (summary || picture) {
        point.Add(runEnd);
        if (sweep.ReplicateOf(run) + 1 == sweep.replicates) {
          const std::int64_t at = sweep.PointOf(run);
          if (summary) summary->Append(SummaryTableRow(study, at, point));
          if (picture) {
            picture->means[static_cast<std::size_t>(at)] = point.mean();
            picture->standardErrors[static_cast<std::size_t>(at)] = point.standardError();
          }
          point = PointSummary{};
        }
      }
      progress.RunFinished(run + 1, total);
    };
    {
      StopOnSignals signals(stop);
      try {
        RunStudy(study, executor, observer);
      } catch (const StartStopped&) {
        progress.FinishProgress();
        const int signal = StopOnSignals::ReceivedSignal();
        std::fprintf(stderr, "recmod-batch: %s: stopped after a generation; no table was written\n",
                     SignalName(signal).c_str());
        record.status = "stopped";
        record.message = "stopped by " + SignalName(signal) + "; no table was written";
        end.exitStatus = 128 + (signal != 0 ? signal : 2);
      }
    }
    progress.FinishProgress();
    if (end.exitStatus == kExitSuccess) {
      if (table) table->Commit();
      if (summary) summary->Commit();
      if (plan.table) record.table = OutputOf(*plan.table);
      if (plan.summary) record.summary = OutputOf(*plan.summary);
      record.status = "done";
      if (picture) {
        try {
          WriteStudyPicture(*picture, *plan.picture, plan.directory);
        } catch (const std::exception& error) {
          std::fprintf(stderr, "recmod-batch: --plot: %s\n", error.what());
          record.status = "error";
          record.message = std::string("--plot: ") + error.what();
          end.exitStatus = kExitRuntimeError;
        }
      }
    }
  } catch (const RuntimeError& error) {
    progress.FinishProgress();
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    record.status = "error";
    record.message = error.what();
    end.exitStatus = kExitRuntimeError;
  } catch (const std::exception& error) {
    progress.FinishProgress();
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    record.status = "error";
    record.message = error.what();
    end.exitStatus = kExitRuntimeError;
  }
  try {
    WriteFileSafely(fs::path(plan.directory) / kRunRecordFileName, StudyRecordText(record),
                    Durability::Durable);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: the record: %s\n", error.what());
    if (end.exitStatus == kExitSuccess) end.exitStatus = kExitRuntimeError;
  }
  end.record = std::move(record);
  return end;
}

void TellWhereOutputsWent(const StudyPlan& plan) {
  if (plan.quiet) return;
  if (plan.table) std::printf("table written to %s\n", EscapedText(*plan.table).c_str());
  if (plan.summary) std::printf("summary written to %s\n", EscapedText(*plan.summary).c_str());
  if (plan.picture) std::printf("picture written to %s\n", EscapedText(*plan.picture).c_str());
}

std::string SaveDirectoryOf(const BatchRequest& request) {
  std::string directory = "C:";
  for (const FieldTyping& typing : request.fields) {
    if (typing.index == kSaveDirectoryField) directory = typing.text;
  }
  return directory;
}

Study StudyOfRequest(const BatchRequest& request, Simulator& sim) {
  std::vector<std::string> notices;
  BatchRequest applied = request;
  applied.mode = request.finitePopulation ? 1 : 0;
  if (request.exactSampling && !request.finitePopulation) {
    throw UsageError(
        "--sampling exact: an infinite population has no drift to sample; give "
        "--population finite");
  }
  ApplyRequest(sim, applied, notices);
  ValidateInputs(sim);
  PrintNotices(notices);

  Study study;
  study.base = BaseOfControls(sim, request);
  Sweep& sweep = study.sweep;
  const std::size_t limit =
      request.force ? kMostAxisValuesForced : static_cast<std::size_t>(kMostStudyRuns);
  for (const std::string& text : request.sweeps) {
    try {
      sweep.axes.push_back(ParseSweepOption(text, limit));
    } catch (const SweepError& error) {
      std::string message = error.what();
      if (!request.force && message.find("values on one axis") != std::string::npos) {
        message += "; --force allows more";
      }
      throw UsageError("--sweep " + EscapedText(text) + ": " + message);
    }
  }
  sweep.replicates = request.replicates;
  sweep.finitePopulation = request.finitePopulation;
  try {
    CheckStudy(study, RunLimit(request.force));
  } catch (const SweepError& error) {
    std::string message = std::string("--sweep: ") + error.what();
    if (!request.force && message.find("more than") != std::string::npos) {
      message += "; --force allows it";
    }
    throw UsageError(message);
  }
  return study;
}

}  // namespace

int RunStudyRequest(const BatchRequest& request, const BatchHooks& hooks) {
  try {
    Simulator sim;
    Study study = StudyOfRequest(request, sim);
    // The processes of an MPI job agree on a drawn seed before anything that
    // only rank 0 checks can end it.
    const bool seedDrawn = study.sweep.finitePopulation && !request.seed;
    if (study.sweep.finitePopulation) {
      study.sweep.seed = !seedDrawn       ? *request.seed
                         : hooks.drawSeed ? hooks.drawSeed()
                                          : DrawSeed();
    }
    StudyPlan plan;
    plan.helper = !hooks.writeRecord;
    plan.table = request.tableFile;
    plan.summary = request.summaryFile;
    plan.picture = request.plotFile;
    if (plan.picture) {
      if (const auto refusal = StudyPictureRefusal(study.sweep.axes.size())) {
        throw UsageError("--plot: " + *refusal);
      }
    }
    plan.directory = ReportDirectory(sim.controls.Text(kSaveDirectoryField));
    plan.threads = request.threads;
    plan.progress = request.progress;
    plan.quiet = request.quiet;
    if (!plan.helper) {
      CheckStudyOutputs(plan);
      for (const std::string& note : ValuesBeyondTheWindow(study)) {
        std::fprintf(stderr, "recmod-batch: note: %s\n", note.c_str());
      }
    }
    if (hooks.beforeStart) {
      // An MPI job's ranks take part in the runs of a loop, not of a single
      // run: the study's runs are a loop's.
      sim.runMode = study.sweep.finitePopulation
                        ? RunMode{.LoopOverLog10N = true}
                        : RunMode{.InfinitePopulation = true, .LoopOverSK = true};
      if (!hooks.beforeStart(sim)) return kExitSuccess;
      // A program that embeds the batch may have sent the record elsewhere.
      plan.directory = ReportDirectory(sim.controls.Text(kSaveDirectoryField));
      plan.executor = sim.loopExecutor;
      plan.stop = &sim.stopRequested;
    }
    if (seedDrawn && !request.quiet) {
      std::fprintf(stderr, "seed: %llu\n", static_cast<unsigned long long>(*study.sweep.seed));
    }
    StudyRecord record;
    record.study = std::move(study);
    record.commandLine = request.commandLine;
    const StudyEnd end = CarryOutStudy(std::move(record), plan);
    if (end.exitStatus != kExitSuccess) return end.exitStatus;
    TellWhereOutputsWent(plan);
    return FinishStandardOutput();
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    return kExitUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    return kExitRuntimeError;
  }
}

bool IsStudyRecordFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
  return !json.is_discarded() && IsStudyRecord(json);
}

namespace {

StudyRecord ReadStudyRecordFile(const std::string& path, const std::string& option) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw UsageError(option + ": cannot read " + EscapedText(path) + ": " + std::strerror(errno));
  }
  const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
  if (json.is_discarded()) throw UsageError(option + ": " + EscapedText(path) + " is no JSON");
  try {
    return StudyRecordFromJson(json, INT64_MAX);
  } catch (const SweepError& error) {
    throw UsageError(option + ": " + EscapedText(path) + ": " + error.what());
  }
}

bool SameDirectory(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

// The study of the record at `path` again, its outputs into `directory`
// under their recorded names; 4 when one differs from its recorded digest.
int RepeatInto(const std::string& path, const std::string& option, const std::string& directory,
               const BatchRequest& request) {
  const StudyRecord recorded = ReadStudyRecordFile(path, option);
  const fs::path recordDirectory =
      fs::path(path).parent_path().empty() ? fs::path(".") : fs::path(path).parent_path();
  if (SameDirectory(recordDirectory, SaveDirectoryPath(directory))) {
    throw UsageError(option +
                     ": --dir is the record's own directory; give another, so that the "
                     "record and its outputs stay as they are");
  }
  StudyPlan plan;
  plan.directory = ReportDirectory(directory);
  if (!fs::is_directory(plan.directory)) {
    throw UsageError("--dir: no directory " + EscapedText(plan.directory));
  }
  if (recorded.table) plan.table = (fs::path(plan.directory) / recorded.table->file).string();
  if (recorded.summary) plan.summary = (fs::path(plan.directory) / recorded.summary->file).string();
  if (!plan.table && !plan.summary) {
    throw UsageError(option + ": " + EscapedText(path) + " records no output to make again");
  }
  plan.threads = request.threadsGiven ? request.threads : AllCores();
  plan.progress = request.progress;
  plan.quiet = request.quiet;
  CheckStudyOutputs(plan);
  const bool compare = recorded.status == "done";
  if (!compare) {
    std::fprintf(stderr,
                 "recmod-batch: warning: %s records a study that did not finish (%s); the "
                 "outputs are made again but not compared\n",
                 EscapedText(path).c_str(), EscapedText(recorded.status).c_str());
  }
  StudyRecord record;
  record.study = recorded.study;
  record.commandLine = request.commandLine;
  const StudyEnd end = CarryOutStudy(std::move(record), plan);
  if (end.exitStatus != kExitSuccess) return end.exitStatus;
  TellWhereOutputsWent(plan);
  int status = kExitSuccess;
  if (compare) {
    const std::pair<const std::optional<StudyOutput>*, const std::optional<StudyOutput>*> pairs[] =
        {{&recorded.table, &end.record.table}, {&recorded.summary, &end.record.summary}};
    for (const auto& [was, now] : pairs) {
      if (!*was || !*now) continue;
      if ((*was)->digest.sha256 == (*now)->digest.sha256 &&
          (*was)->digest.bytes == (*now)->digest.bytes) {
        continue;
      }
      std::fprintf(
          stderr,
          "recmod-batch: %s differs from the recorded one (%llu bytes, "
          "sha256 %s; recorded %llu bytes, sha256 %s)\n",
          EscapedText((*was)->file).c_str(), static_cast<unsigned long long>((*now)->digest.bytes),
          (*now)->digest.sha256.c_str(), static_cast<unsigned long long>((*was)->digest.bytes),
          (*was)->digest.sha256.c_str());
      status = kExitDiffers;
    }
  }
  if (status != kExitSuccess) return status;
  return FinishStandardOutput();
}

}  // namespace

int RepeatStudyRecord(const BatchRequest& request, const BatchHooks& hooks) {
  try {
    if (hooks.mpiRanks > 1 || !hooks.writeRecord) {
      throw UsageError("--repeat: a study runs in one process, not spread over MPI ranks");
    }
    bool dirGiven = false;
    for (const FieldTyping& typing : request.fields) {
      dirGiven = dirGiven || typing.index == kSaveDirectoryField;
    }
    if (!dirGiven) {
      throw UsageError("--repeat: give --dir, the directory that receives the study's outputs");
    }
    return RepeatInto(*request.repeatFile, "--repeat", SaveDirectoryOf(request), request);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    return kExitUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    return kExitRuntimeError;
  }
}

int VerifyStudyRecord(const BatchRequest& request, const BatchHooks& hooks) {
  const std::string& path = *request.verifyFile;
  const std::optional<std::string> made = MakeVerifyScratch();
  if (!made) return kExitRuntimeError;
  const std::string& scratch = *made;
  int status = kExitSuccess;
  try {
    if (hooks.mpiRanks > 1 || !hooks.writeRecord) {
      throw UsageError("--verify: a study runs in one process, not spread over MPI ranks");
    }
    if (ReadStudyRecordFile(path, "--verify").status != "done") {
      throw UsageError("--verify: " + EscapedText(path) +
                       " records a study that did not finish; only a finished one can be "
                       "verified");
    }
    BatchRequest quiet = request;
    quiet.quiet = true;
    status = RepeatInto(path, "--verify", scratch, quiet);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "recmod-batch: %s\n", error.what());
    status = kExitUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recmod-batch: run-time error: %s\n", error.what());
    status = kExitRuntimeError;
  }
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  if (status == kExitSuccess && !request.quiet) {
    std::printf("%s: every output is the same as recorded\n", EscapedText(path).c_str());
    status = FinishStandardOutput();
  }
  return status;
}

}  // namespace recmod::batch
