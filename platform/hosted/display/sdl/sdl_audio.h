// SDL's audio for the SDL display: the platform's mix (hosted::MixSound)
// queued to SDL's audio device from the program's own thread, a little ahead
// of what the device has played, so that no other thread ever touches the
// platform; muting; and the rumble of the players' game pads.
//
// The device is opened for the mix's own format (22050 mono 16-bit samples;
// SDL converts for the system), once, when the program first asks for sound;
// where SDL has no audio device the program is silent. The display tops the
// queue up at its clock's readings (a few milliseconds apart at most while
// the program waits on the clock) and in its sleeps, so the queue never runs
// dry while the program runs; before a message box it queues what plays once
// to its end, as the box holds the program while the player reads it; while
// the player is away the device is paused, its queue kept, so that the sound
// goes on where it was.
//
// Muting (M, SetMuted) fades the queued sound out over 10 ms, and back in;
// the platform mixes as ever, so the program never learns of it. The pads
// that fly a player (sdl_inputs.h) rumble as the platform asks
// (Display::Rumble), unless rumbling is off.
#pragma once

#include <cstdint>

#include "platform/hosted/display/sdl/sdl_driver.h"

namespace sdl {

// Opens the audio device, once; true while it is open, false for good where
// SDL has none.
bool StartAudio(Driver& driver);
// Closes the device and SDL's audio.
void StopAudio(Driver& driver);
// Tops the queue up when the last top-up is more than a little while ago.
void FeedAudio(Driver& driver);
// Queues the mix until every sound that plays once has ended.
void FeedUntilQuiet(Driver& driver);
// Pauses the device (keeping its queue) while the player is away, or plays
// on.
void HoldAudio(Driver& driver, bool held);
// Sleeps `milliseconds`, topping the queue up meanwhile.
void SleepFeeding(Driver& driver, uint32_t milliseconds);
// Shakes player `player`'s pad for `milliseconds` (0: stops it).
void RumblePad(Driver& driver, int32_t player, uint32_t milliseconds);

}  // namespace sdl
