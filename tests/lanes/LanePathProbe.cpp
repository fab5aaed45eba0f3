// Exit status 0 when this processor runs the SIMD path that RECMOD_SIMD
// names, 77 (a skipped test) when it cannot, 2 for a name that is no path.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lanes/LanePath.hpp"

int main() {
  const char* wanted = std::getenv("RECMOD_SIMD");
  if (wanted == nullptr) {
    std::fputs("lane path probe: RECMOD_SIMD is not set\n", stderr);
    return 2;
  }
  for (recmod::LanePath path : {recmod::LanePath::Avx512, recmod::LanePath::Avx2,
                                recmod::LanePath::Baseline, recmod::LanePath::Scalar}) {
    if (std::string(recmod::LanePathName(path)) != wanted) continue;
    if (path == recmod::LanePath::Scalar) return 0;  // any processor runs it
    for (recmod::LanePath available : recmod::AvailableLanePaths()) {
      if (available == path) return 0;
    }
    std::printf("skipped: this processor cannot run the %s path\n", wanted);
    return 77;
  }
  std::fprintf(stderr, "lane path probe: RECMOD_SIMD=%s names no path\n", wanted);
  return 2;
}
