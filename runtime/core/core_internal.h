// What the files of the core share: its one state. Not for other libraries.
#pragma once

#include <cstdint>

constexpr int kRandomPairs = 17;

struct RandomGenerator {
  uint32_t table[kRandomPairs][2];  // [pair][0] first (low) word, [pair][1] second (high) word
  int cursor;
  int lagCursor;
};

// The library's state, zero at process load.
struct CoreState {
  RandomGenerator random;   // random.cpp; RandomReset zeroes it
  void (*stopHooks)();      // core.cpp: run first by RuntimeEnd, set by RuntimeStart
  const char* commandLine;  // core.cpp: the process entry's, set by RuntimeStart
};

extern CoreState core;
