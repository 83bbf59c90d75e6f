// How a program on the SDL display ends: the signals that end it as the
// player would, the helper processes that end with it however it ends, and
// the connection to the screen that ends it when it breaks. All of it
// belongs to the whole process, as signals do: one state, which the signal
// handler and the children forked for message boxes reach as well.
#pragma once

#include <sys/types.h>

namespace sdl {

// From now on SIGINT, SIGTERM and SIGHUP are caught; SIGHUP not where it is
// ignored (nohup). A signal caught is only noted (the first one counts) and
// kills the child process that shows a message box (BeginChildBox), so that
// the display ends the process at its next chance.
void CatchEndingSignals();
// The first ending signal caught; 0 while none.
int CaughtSignal();

// Around SDL's message box, which on X11 a child process shows while SDL
// waits for it: every process forked in between dies with the program
// (TieToProgram), and is killed at once when an ending signal is caught, so
// that the wait for it ends.
void BeginChildBox();
void EndChildBox();

// For a child process right after fork(): it is killed (SIGKILL) when
// `program`, its parent, ends, however that ends, and exits at once when the
// program has ended already; the ending signals have their default effect
// in it again.
void TieToProgram(pid_t program);

// When the connection to the X server breaks, `line` and a newline go to
// standard error and the program exits at once with code 1, in place of
// Xlib's message and exit; a child process exits silently. To be called once
// SDL has opened its connection. Does nothing without Xlib.
void EndWhenXConnectionBreaks(const char* line);

}  // namespace sdl
