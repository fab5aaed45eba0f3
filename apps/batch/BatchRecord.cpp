#include "BatchRecord.hpp"

#include <cstdio>
#include <exception>

namespace recmod::batch {

namespace {

bool TryWrite(std::optional<RunRecord>& record, const Simulator& sim, RecordStatus status,
              const std::string& message, bool tell = true) {
  try {
    record->WriteEnded(sim, status, message);
    return true;
  } catch (const std::exception& error) {
    if (tell) {
      std::fprintf(stderr, "recmod-batch: the record of the start could not be written: %s\n",
                   error.what());
    }
    return false;
  }
}

}  // namespace

StartOrigin BatchOrigin(const BatchRequest& request, int mpiRanks) {
  StartOrigin origin;
  origin.frontEnd = "batch";
  origin.commandLine = request.commandLine;
  origin.mpiRanks = mpiRanks;
  return origin;
}

bool EndRecord(std::optional<RunRecord>& record, const Simulator& sim, StartOutcome outcome,
               const std::vector<std::string>& messages) {
  if (!record) return true;
  switch (outcome) {
    case StartOutcome::Finished:
      return TryWrite(record, sim, RecordStatus::Done, {});
    case StartOutcome::Stopped:
      return TryWrite(record, sim, RecordStatus::Stopped, {});
    case StartOutcome::Refused: {
      std::string message;
      for (const std::string& line : messages) message += (message.empty() ? "" : "\n") + line;
      return TryWrite(record, sim, RecordStatus::Refused, message);
    }
  }
  return true;
}

bool WriteEndRecord(std::optional<RunRecord>& record, const Simulator& sim, RecordStatus status,
                    const std::string& message) {
  if (!record) return true;
  return TryWrite(record, sim, status, message);
}

void EndRecordAfterFailure(std::optional<RunRecord>& record, const Simulator& sim) {
  if (!record) return;
  std::string message = "unknown error";
  try {
    throw;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
  }
  // The error that ended the start is the one to tell.
  TryWrite(record, sim, RecordStatus::Error, message, false);
}

}  // namespace recmod::batch
