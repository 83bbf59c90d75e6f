// Shared by the probe programs that tests/wine runs under Wine and, where a
// hosted counterpart is needed, on the headless display.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Command-line argument `index` (0 is the program), or null when there is
// none. The runtime ignores the command line; the probes read it here.
const char* ProbeArgument(int index);

// Prints message on a line of its own, where the test reads it, and ends the
// program.
[[noreturn]] void ProbeFinish(const char* message);

// Writes a surface as a binary PPM (P6, 8 bits per channel). Surfaces of 32
// and 16 bits per pixel are understood (XRGB and 5-6-5); false when the
// surface cannot be locked, has another format or the file cannot be written.
bool WriteSurfacePpm(IDirectDrawSurface7* surface, const char* file);
