// What the hosted platform offers its display backends: the desktop picture
// they show, the message queue they feed, the foreground window they learn
// from the system and read back, the sound they play, and the rest of the
// processor while the program waits on the clock. Only displays call these
// (platform/hosted/display/display.h).
#pragma once

#include <cstdint>

#include "platform/hosted/windows.h"

namespace hosted {

// The desktop picture: 32-bit XRGB pixels, row after row, as large as the
// installed display's desktop.
struct DesktopPicture {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;  // in bytes
};
DesktopPicture Desktop();

// Puts a message in the thread's queue, as PostMessageA does, for input that
// the display turns into window messages.
void PostQueued(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window the display shows in front (the foreground window), set by the
// display when it learns the focus from the system; hosted windows become
// foreground when they are shown.
void SetForeground(HWND window);
// The foreground window, as GetForegroundWindow returns it; null for none.
HWND Foreground();

// The platform's sound: the DirectSound buffers that play (dsound.h), mixed
// into one stream of 16-bit mono samples, kMixRate a second. A display with
// sound (Display::SoundAvailable) asks for the samples as its clock runs.
constexpr int32_t kMixRate = 22050;
// The next `count` samples of the mix (silence while nothing plays); every
// playing buffer moves on by as many. With `samples` null the buffers only
// move on, as if the mix had been heard.
void MixSound(int16_t* samples, int32_t count);
// The samples until every buffer that plays once has ended; 0 when none
// does. A display waits them out before it holds the program in a message
// box, so that a sound played with the box is heard.
int32_t SoundOnceLeft();

// How a display on real time rests in a wait (Display::Rest), as described in
// platform/hosted/clock.h. `answered` and `now` are readings of the counter
// (10 MHz), `foreseen` as Display::Rest has it. True when it slept.
bool RestInWait(int64_t answered, int64_t now, int64_t foreseen);

}  // namespace hosted
