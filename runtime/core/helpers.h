// What the runtime's libraries share beyond the program's manual (core.h):
// coordinate arithmetic that wraps, and formatting into a buffer of their own.
#pragma once

#include <cstdint>

// 32-bit addition and subtraction that wrap as Win32's coordinate arithmetic
// does, for the positions and sizes the libraries pass on from their callers
// (never undefined overflow).
inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSubtract(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// wvsprintfA with the arguments in the call: writes into output (which must
// have room) and returns the number of characters written.
int FormatText(char* output, const char* format, ...);
