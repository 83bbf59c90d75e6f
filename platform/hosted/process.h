// Running a program on the hosted platform.
//
// A program (the Linux and web programs, the tools, the tests) picks a
// display (platform/hosted/display/display.h), wraps it if it wants to, and
// runs a process on it. The process starts as a fresh Windows process does,
// with every hosted object gone, and ends when its entry returns (exit code
// 0) or calls ExitProcess. One process runs at a time; RunProcess is not
// reentrant.
//
// Tests and recordings may also look inside the process through hooks, which
// a plain program goes without: they make chosen platform steps fail, learn
// of keyboard reads that never reached the display, and may end the process
// (a program's display that caught a signal).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/hosted/display/display.h"

namespace hosted {

// Platform steps that the hooks can make fail on request (tests, replays).
enum class FailPoint {
  kLoadLibrary,        // detail: module name as passed to LoadLibraryA
  kDirectDrawCreate,   // DirectDrawCreateEx
  kPrimarySurface,     // CreateSurface of the primary surface
  kBackBuffer,         // CreateSurface with DDSCAPS_3DDEVICE | DDSCAPS_OFFSCREENPLAIN
  kClipper,            // CreateClipper
  kSurfaceSize,        // CreateSurface of a plain surface; width, height given
  kDirectInputCreate,  // DirectInputCreateEx
  kDirectInputDevice,  // IDirectInput7A::CreateDeviceEx
  kGetDeviceState,     // IDirectInputDevice7A::GetDeviceState
  kCreateWindow,       // CreateWindowExA; detail: class name
  kHeapCreate,         // HeapCreate
  kHeapAlloc,          // HeapAlloc and HeapReAlloc
  kDirectSoundCreate,  // DirectSoundCreate
};

// What a test or a recording learns of the process, and decides in it. The
// defaults change nothing.
class ProcessHooks {
 public:
  virtual ~ProcessHooks() = default;

  // True when this platform step is to fail.
  virtual bool Fails(FailPoint /*point*/, const char* /*detail*/, int32_t /*width*/,
                     int32_t /*height*/) {
    return false;
  }
  // A read of the keyboard device failed without asking the display (the
  // device was not acquired, or its window was not in front): the reader
  // keeps the snapshot it had.
  virtual void KeyboardUnread() {}
  // Whether the process is to end now, and with which exit code. Asked at
  // every platform call that reaches the display or the hooks, and after
  // every call of the display that may block (clock.h); on a yes the process
  // ends there, as by ExitProcess(*exitCode).
  virtual bool EndRequested(UINT* /*exitCode*/) { return false; }
};

// Runs `entry` as a hosted process with `display` installed, and `hooks`
// when given; returns the exit code.
int RunProcess(Display& display, const std::function<void()>& entry, ProcessHooks* hooks = nullptr);

// Runs the program's process entry (WinMain, with `commandLine` as its
// command line, the program's name left out as Windows leaves it out) as
// RunProcess does; returns the exit code. The executable must link the entry
// (the runtime's runtime_entry).
int RunWinMain(Display& display, ProcessHooks* hooks = nullptr, const char* commandLine = "");

}  // namespace hosted
