#include "version/BuildInfo.hpp"

namespace recmod {

const char* ProgramVersion() {
  return RECMOD_VERSION;
}

const char* CompilerName() {
#if defined(__clang__)
  return "Clang " __clang_version__;
#elif defined(__GNUC__)
  return "GCC " __VERSION__;
#else
  return "unknown compiler";
#endif
}

}  // namespace recmod
