// The Windows side of ProbeArgument: the C runtime's copy of the command line.
#include <cstdlib>

#include "tests/wine/windows/probe.h"

const char* ProbeArgument(int index) {
  if (index < 0 || index >= __argc) return nullptr;
  return __argv[index];
}
