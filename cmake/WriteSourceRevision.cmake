# Writes OUTPUT, the source file that names the revision of the checkout being
# built, and rewrites it only when the revision changed, so that a build
# without a new commit compiles nothing. Run at every build (script mode):
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P WriteSourceRevision.cmake
execute_process(
  COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --abbrev=12
  OUTPUT_VARIABLE revision
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR revision STREQUAL "")
  set(revision "unknown")
endif()
set(text "// Generated at build time; do not edit.\n#include \"version/BuildInfo.hpp\"\nconst char* recmod::SourceRevision() { return \"${revision}\"; }\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
