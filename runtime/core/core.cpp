// The runtime's end, temporary strings, the message box.
#include "runtime/core/core.h"

#include <cstdarg>
#include <cstring>

#include "runtime/core/core_internal.h"
#include "runtime/core/helpers.h"
#include "runtime/core/hooks.h"

CoreState core;

HANDLE RuntimeHeap;
HINSTANCE RuntimeInstance;
char* StringWorkArea;
char* StringWorkPosition;

namespace {

// The last byte of the work area: it always holds a terminating zero once
// the area is full, and the position never moves past it.
char* WorkAreaLast() { return StringWorkArea + kStringWorkAreaSize - 1; }

bool InWorkArea(const char* p) {
  return StringWorkArea && p >= StringWorkArea && p <= WorkAreaLast();
}

}  // namespace

int FormatText(char* output, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(output, format, arguments);
  va_end(arguments);
  return length;
}

void RuntimeSetStopHooks(void (*stopHooks)()) { core.stopHooks = stopHooks; }

void RuntimeSetCommandLine(const char* commandLine) { core.commandLine = commandLine; }

const char* RuntimeCommandLine() { return core.commandLine ? core.commandLine : ""; }

void RuntimeEnd() {
  if (core.stopHooks) core.stopHooks();
  if (RuntimeHeap) HeapDestroy(RuntimeHeap);
  RuntimeHeap = nullptr;
  StringWorkArea = nullptr;
  StringWorkPosition = nullptr;
  ExitProcess(0);
}

void StringAppend(const char* text) {
  if (text == nullptr || StringWorkPosition == nullptr) return;
  if (!InWorkArea(StringWorkPosition)) {
    // A position outside the work area is a caller's buffer; copy as asked.
    size_t length = std::strlen(text);
    std::memmove(StringWorkPosition, text, length + 1);
    StringWorkPosition += length;
    return;
  }
  // Cut the text where the work area ends; the expression stays terminated.
  size_t room = static_cast<size_t>(WorkAreaLast() - StringWorkPosition);
  size_t length = strnlen(text, room);
  std::memmove(StringWorkPosition, text, length);
  StringWorkPosition += length;
  *StringWorkPosition = 0;
}

char* FormatInt(int32_t value, char* destination) {
  if (destination == nullptr) return nullptr;
  char text[16];
  FormatText(text, "%ld", value);
  StringWorkPosition = destination;
  StringAppend(text);
  return destination;
}

char* StringArgument(char* start) {
  if (StringWorkPosition &&
      (!InWorkArea(StringWorkPosition) || StringWorkPosition < WorkAreaLast()))
    ++StringWorkPosition;
  return start;
}

void StringStoreExpression(char** variable, char* mark) {
  if (variable == nullptr || StringWorkPosition == nullptr) return;
  if (mark == nullptr || mark > StringWorkPosition) mark = StringWorkPosition;
  size_t length = static_cast<size_t>(StringWorkPosition - mark) + 1;
  if (*variable) HeapFree(RuntimeHeap, 0, *variable);
  *variable = nullptr;
  char* block = static_cast<char*>(HeapAlloc(RuntimeHeap, 0, length));
  // A string that cannot be kept cannot be shown either; end cleanly.
  if (block == nullptr) RuntimeEnd();
  *variable = block;
  StringWorkPosition = mark;
  size_t n = strnlen(mark, length - 1);
  std::memcpy(block, mark, n);
  block[n] = 0;
}

void StringAssign(char** variable, const char* text) {
  if (variable == nullptr) return;
  // The text is copied before the old block goes, so that a variable can be
  // given its own text.
  char* block = nullptr;
  if (text != nullptr) {
    size_t length = std::strlen(text) + 1;
    block = static_cast<char*>(HeapAlloc(RuntimeHeap, 0, length));
    if (block == nullptr) RuntimeEnd();
    std::memcpy(block, text, length);
  }
  if (*variable) HeapFree(RuntimeHeap, 0, *variable);
  *variable = block;
}

void StringRelease(char* block) {
  if (block && RuntimeHeap) HeapFree(RuntimeHeap, 0, block);
}

int32_t ShowMessage(const char* title, const char* text, uint32_t flags) {
  HWND owner = GetForegroundWindow();
  return MessageBoxA(owner, text, title, flags);
}
