#pragma once

namespace recmod {

// The program's version ("0.1.0").
const char* ProgramVersion();

// The revision of the source tree the program was built from (a commit id,
// with "-dirty" when the tree had uncommitted changes), or "unknown" outside
// a checkout.
const char* SourceRevision();

// The compiler that built the program ("GCC 12.2.0").
const char* CompilerName();

}  // namespace recmod
