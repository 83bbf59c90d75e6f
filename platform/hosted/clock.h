// The hosted clock: how a wait on the performance counter is recognised, and
// how the processor rests in it.
//
// The runtime paces its frames by a busy-wait: it reads the performance
// counter again and again until the frame period has passed. The readings
// come from the installed display; the platform answers them unchanged, but
// lets a display on real time rest the processor in the wait.
//
// Recognising a wait. Every platform call that reaches the display or the
// process hooks, other than a reading of the counter, tells the clock so
// (NotWaiting). A reading with no such call since the previous reading is a
// reading in a wait. The first reading of every frame's wait follows the
// frame's present and message pump, so it never counts as one.
//
// The end on request. As every platform call passes through the clock, the
// clock is where the process hooks are asked whether the process is to end
// (ProcessHooks::EndRequested, process.h): at every NotWaiting, at every
// reading, and again once the program is back from a hold. Calls of the
// display that may block (Sleep, MessageBoxA) tell the clock again when they
// return, so that a request made meanwhile ends the process before the
// program goes on.
//
// The rhythm. The clock notes the reading that ended each wait. The runtime
// ends each wait a whole period after the previous one ended, so with a fixed
// frame rate the shortest of the last eight intervals between ends is never
// longer than the true period, and foresees the next end. When a long rest is
// followed at once by the end of its wait, it slept past the end: if that
// reading is still short of the foreseen end, the frame rate went up, and the
// rhythm is learnt anew; if not, the rest woke late, and the rhythm stands.
//
// The rest. Before a reading in a wait is taken, the display is asked to rest
// (Display::Rest) with how long after the previous reading the wait is
// foreseen to end (0 while no rhythm is known, or once the end is past).
// Displays on real time rest by RestInWait (platform/hosted/services.h): if
// more than 20 us passed since the previous reading was answered, the program
// was working, not waiting, and there is no rest; otherwise the process
// sleeps until 1.5 ms before the foreseen end, then a tenth of a millisecond
// at a time. The reading is taken after the rest, so it is always the true
// time. A virtual clock does not rest, and its readings stay as they are.
//
// The hold. While the player is away (Display::Away), a reading waits until
// the player is back (Display::WaitForReturn), and the time away is taken
// off this and every later reading, so the program goes on as if no time had
// passed: the same snapshots, the same frame rate.
#pragma once

#include <cstdint>

#include "platform/hosted/display/display.h"

namespace hosted {

// The program asked the platform for something other than a reading of the
// counter: the next reading is not one in a wait. Ends the process when the
// hooks ask for it.
void NotWaiting();

// A reading of the performance counter from `display` (the installed one),
// as QueryPerformanceCounter returns it, after a rest when it is a reading
// in a wait. Ends the process when the hooks ask for it.
int64_t ReadClock(Display& display);

// Forgets the rhythm, at the start and the end of a process.
void ResetClock();

}  // namespace hosted
