#pragma once

#include <string>

#include "BatchCommandLine.hpp"
#include "BatchSession.hpp"

// Studies from the command line: --sweep NAME=VALUES with the fields as the
// base values, their two CSV tables and their record, and the repeat of a
// study from that record.
namespace recmod::batch {

// Carries out a study request (request.IsStudy()) and returns the exit status;
// every message is printed here.
int RunStudyRequest(const BatchRequest& request, const BatchHooks& hooks);

// Whether the file at `path` is the record of a study (false also when it
// cannot be read: the repeat of a start then says why).
bool IsStudyRecordFile(const std::string& path);

// --repeat and --verify of a study's record.
int RepeatStudyRecord(const BatchRequest& request, const BatchHooks& hooks);
int VerifyStudyRecord(const BatchRequest& request, const BatchHooks& hooks);

}  // namespace recmod::batch
