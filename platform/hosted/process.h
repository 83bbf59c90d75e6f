// Running a program on the hosted platform.
//
// A program (the Linux and web programs, the tools, the tests) picks a
// display (platform/hosted/display/display.h), wraps it if it wants to, and
// runs a process on it. The process starts as a fresh Windows process does,
// with every hosted object gone, and ends when its entry returns (exit code
// 0) or calls ExitProcess. One process runs at a time; RunProcess is not
// reentrant.
#pragma once

#include <functional>

#include "platform/hosted/display/display.h"

namespace hosted {

// Runs `entry` as a hosted process with `display` installed; returns the
// exit code.
int RunProcess(Display& display, const std::function<void()>& entry);

// Runs the program's process entry (WinMain, with an empty command line: the
// game ignores its command line, as on Windows) on `display`; returns the
// exit code. The executable must link the entry (the runtime's runtime_entry).
int RunWinMain(Display& display);

}  // namespace hosted
