// A stand-in program for runtime tests: the runtime starts as for the game,
// and GameMain runs whatever the test hands over.
#pragma once

#include <functional>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"

// Runs the whole process (WinMain, RuntimeStart, the start hooks, then
// `program` as GameMain, then RuntimeEnd unless the program ended earlier) on
// `display` with `hooks` (a headless display, or one around it, as both).
// Returns the process's exit code.
int RunWithProgram(hosted::Display& display, hosted::ProcessHooks* hooks,
                   std::function<void()> program);

// The same on a headless display, with the failures it was told of.
int RunWithProgram(headless::HeadlessDisplay& display, std::function<void()> program);

// The same on a default headless display.
int RunWithProgram(std::function<void()> program);

// Runs body as the program on a default headless display and expects the
// process to end with exit code 0.
void InRuntime(const std::function<void()>& body);
