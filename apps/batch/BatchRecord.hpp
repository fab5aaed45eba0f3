#pragma once

#include <optional>
#include <string>
#include <vector>

#include "BatchCommandLine.hpp"
#include "driver/ExperimentDriver.hpp"
#include "record/RunRecord.hpp"

namespace recmod::batch {

// The batch program's part of a start's record: its command line and the
// processes that share the start.
StartOrigin BatchOrigin(const BatchRequest& request, int mpiRanks);

// Writes the final record of a start that ended with `outcome` (the messages
// of a refused start go into it). False, after saying why on stderr, when the
// record cannot be written.
bool EndRecord(std::optional<RunRecord>& record, const Simulator& sim, StartOutcome outcome,
               const std::vector<std::string>& messages);

// Writes the final record with `status` and `message` (an output that failed
// after a finished start, a signal before the outputs). False, after saying
// why on stderr, when the record cannot be written.
bool WriteEndRecord(std::optional<RunRecord>& record, const Simulator& sim, RecordStatus status,
                    const std::string& message);

// From inside a catch block: writes the record of a start that the exception
// in flight ended ("error" with its message). Never raises; a record that
// cannot be written then is not told (the error that ended the start is).
void EndRecordAfterFailure(std::optional<RunRecord>& record, const Simulator& sim);

}  // namespace recmod::batch
