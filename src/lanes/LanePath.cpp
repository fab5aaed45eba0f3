#include "lanes/LanePath.hpp"

#include <cpuid.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>

namespace recmod {

// In the kernel's translation unit, where the paths are compiled.
bool LanePathCompiled(LanePath path);
int LaneWidthOfPath(LanePath path);

namespace {

constexpr struct {
  LanePath path;
  const char* name;
} kPaths[] = {{LanePath::Avx512, "avx512"},
              {LanePath::Avx2, "avx2"},
              {LanePath::Baseline, "baseline"},
              {LanePath::Scalar, "scalar"}};

// What the processor (and the operating system, which must save the wide
// registers) offers: every instruction set the path's code was compiled for.
bool HasF16c() {
  // Not among the names every compiler's __builtin_cpu_supports knows.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_F16C) != 0;
}

bool ProcessorRuns(LanePath path) {
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") &&
                    __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("pclmul") &&
                    __builtin_cpu_supports("aes") && __builtin_cpu_supports("avx") &&
                    __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                    __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma") && HasF16c();
  switch (path) {
    case LanePath::Avx512:
      return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
    case LanePath::Avx2:
      return avx2;
    case LanePath::Baseline:
    case LanePath::Scalar:
      break;
  }
  return true;
}

bool Runnable(LanePath path) {
  return LanePathCompiled(path) && ProcessorRuns(path);
}

std::string AvailableNames() {
  std::string names;
  for (LanePath path : AvailableLanePaths()) {
    names += LanePathName(path);
    names += ", ";
  }
  return names + "scalar";
}

LanePath PathFromEnvironment() {
  const char* value = std::getenv("RECMOD_SIMD");
  if (value == nullptr || *value == '\0') {
    // Without AVX2 the lanes are one number wide, and the scalar engine, whose
    // draw skips the branches it does not take, is as fast or faster.
    const LanePath fastest = AvailableLanePaths().front();
    return fastest == LanePath::Baseline ? LanePath::Scalar : fastest;
  }
  for (const auto& entry : kPaths) {
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

}  // namespace

const char* LanePathName(LanePath path) {
  for (const auto& entry : kPaths) {
    if (entry.path == path) return entry.name;
  }
  return "baseline";
}

std::vector<LanePath> AvailableLanePaths() {
  std::vector<LanePath> paths;
  for (const auto& entry : kPaths) {
    if (entry.path != LanePath::Scalar && Runnable(entry.path)) paths.push_back(entry.path);
  }
  return paths;
}

LanePath ActiveLanePath() {
  const std::lock_guard lock(chosenMutex);
  if (!chosen) {
    chosenPath = PathFromEnvironment();
    chosen = true;
  }
  return chosenPath;
}

void UseLanePath(LanePath path) {
  if (!Runnable(path)) {
    throw std::runtime_error(std::string("this processor cannot run the ") + LanePathName(path) +
                             " path (it runs " + AvailableNames() + ")");
  }
  const std::lock_guard lock(chosenMutex);
  chosenPath = path;
  chosen = true;
}

LanePath KernelPath() {
  const LanePath path = ActiveLanePath();
  return path == LanePath::Scalar ? LanePath::Baseline : path;
}

int LaneWidth() {
  return LaneWidthOfPath(KernelPath());
}

}  // namespace recmod
