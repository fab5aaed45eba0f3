#include "lanes/LanePath.hpp"

#include <hwy/targets.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>

namespace recmod {

// The lane width of the chosen path (in the kernel's translation unit, where
// the paths are compiled).
int LaneWidthOfChosenPath();

namespace {

struct PathTarget {
  LanePath path;
  const char* name;
  std::int64_t target;  // Highway's target bit
};
constexpr PathTarget kPaths[] = {{LanePath::Avx512, "avx512", HWY_AVX3},
                                 {LanePath::Avx2, "avx2", HWY_AVX2},
                                 {LanePath::Baseline, "baseline", HWY_SCALAR},
                                 {LanePath::Scalar, "scalar", HWY_SCALAR}};

const PathTarget& TargetOf(LanePath path) {
  for (const PathTarget& entry : kPaths) {
    if (entry.path == path) return entry;
  }
  return kPaths[2];
}

bool Runnable(LanePath path) {
  return path == LanePath::Baseline || path == LanePath::Scalar ||
         (hwy::SupportedTargets() & TargetOf(path).target) != 0;
}

std::string AvailableNames() {
  std::string names;
  for (LanePath path : AvailableLanePaths()) {
    if (!names.empty()) names += ", ";
    names += LanePathName(path);
  }
  return names;
}

LanePath PathFromEnvironment() {
  const char* value = std::getenv("RECMOD_SIMD");
  if (value == nullptr || *value == '\0') return AvailableLanePaths().front();
  for (const PathTarget& entry : kPaths) {
    if (entry.name != std::string(value)) continue;
    if (!Runnable(entry.path)) {
      throw std::runtime_error("RECMOD_SIMD=" + std::string(value) +
                               ": this processor cannot run that path (it runs " +
                               AvailableNames() + ")");
    }
    return entry.path;
  }
  throw std::runtime_error("RECMOD_SIMD=" + std::string(value) +
                           ": unknown path (use avx512, avx2, baseline or scalar)");
}

std::mutex chosenMutex;
bool chosen = false;
LanePath chosenPath = LanePath::Baseline;

void Choose(LanePath path) {
  // Highway dispatches every call to the path whose bit is set here.
  hwy::GetChosenTarget().Update(TargetOf(path).target);
  chosenPath = path;
  chosen = true;
}

}  // namespace

const char* LanePathName(LanePath path) {
  return TargetOf(path).name;
}

std::vector<LanePath> AvailableLanePaths() {
  std::vector<LanePath> paths;
  for (const PathTarget& entry : kPaths) {
    if (Runnable(entry.path)) paths.push_back(entry.path);
  }
  return paths;
}

LanePath ActiveLanePath() {
  const std::lock_guard lock(chosenMutex);
  if (!chosen) Choose(PathFromEnvironment());
  return chosenPath;
}

void UseLanePath(LanePath path) {
  if (!Runnable(path)) {
    throw std::runtime_error(std::string("this processor cannot run the ") + LanePathName(path) +
                             " path (it runs " + AvailableNames() + ")");
  }
  const std::lock_guard lock(chosenMutex);
  Choose(path);
}

int LaneWidth() {
  if (ActiveLanePath() == LanePath::Scalar) return 1;
  return LaneWidthOfChosenPath();
}

}  // namespace recmod
