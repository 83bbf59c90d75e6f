// SDL's events for the SDL display: the pump, window events and the focus,
// the hold while the player is away, and the keyboard snapshot.
//
// Close requests become WM_CLOSE in the thread's queue; the focus moving to
// or away from one of our windows moves the foreground; Alt+Enter and F11
// switch full screen (sdl_window.h); M mutes and unmutes (sdl_audio.h). The keyboard is SDL's key
// state with the pointers held in our windows and SDL's game controllers folded in (sdl_inputs.h),
// every key up while none of our windows has the focus.
//
// The player is away once a window of ours that had the focus is minimised
// or the focus has left our windows; a message box taking the focus does not
// count, nor does a window that never had it (no window manager gives it).
// The program then waits for the player's return in SDL's event wait,
// handling events as the pump does; on return whatever is held counts only
// once pressed again (keys::HeldLatch).
#pragma once

#include <cstdint>

#include "platform/hosted/display/sdl/sdl_driver.h"

union SDL_Event;

namespace sdl {

// The longest wait for an event in the display's waits (ms): they look for a
// caught signal that often, which SDL's wait does not notice.
constexpr int kLongestEventWait = 100;

// Display::Pump: every pending event handled.
void PumpEvents(Driver& driver);
// One event: pointers and controllers taken in, window events acted on.
void HandleEvent(Driver& driver, const SDL_Event& event);
// Display::ReadKeyboard: the snapshot, with the latch applied.
void ReadKeys(Driver& driver, uint8_t state[256]);
// Display::Away and Display::WaitForReturn, as described above; the wait
// ends early on a caught signal.
bool PlayerAway(const Driver& driver);
void WaitForPlayer(Driver& driver);
// Whether SDL's keyboard focus is on one of our windows.
bool KeyboardOnOurs(Driver& driver);

}  // namespace sdl
