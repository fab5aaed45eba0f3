#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: when it fails, the fuzzer keeps
// the input as a crash and prints what went wrong.
#define FUZZ_REQUIRE(condition, ...)                                                        \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                    \
      std::fprintf(stderr, "\n");                                                           \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)
