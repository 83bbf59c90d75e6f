// The runtime's start-up: RuntimeStart, run by the process entry (WinMain),
// and the two functions the program provides for it.
//
// RuntimeStart zeroes every library's state and the program's globals,
// creates RuntimeHeap, runs the start hooks (random, window, drawing, sound),
// allocates the 64000-byte string work area, seeds the generator from the
// tick count and runs the program's GameMain; when GameMain returns,
// RuntimeEnd follows. It hands RuntimeEnd the stop hooks (keyboard, sound,
// screen, window) first thing, so that every way out runs them.
#pragma once

// The process entry's one call, with the command line it was given (which
// the game may ask for: RuntimeCommandLine). Does not return.
[[noreturn]] void RuntimeStart(const char* commandLine);

// Provided by the program: its main sequence, run once the runtime is ready
// (if it returns, RuntimeEnd follows), and the zeroing of its globals, run
// first thing by RuntimeStart.
void GameMain();
void GameReset();
