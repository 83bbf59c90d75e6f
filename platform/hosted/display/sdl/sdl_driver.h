// The SDL display's one state, shared by the files of its concerns as the
// driver data of SDL's own video drivers is: video (sdl_video.h), windows
// (sdl_window.h), events (sdl_events.h), message boxes (sdl_messagebox.h)
// and audio (sdl_audio.h); the clock and the signals are the display's own
// (sdl_display.cpp). Not for the display's callers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/sdl/ending.h"
#include "platform/hosted/display/sdl/sdl_inputs.h"
#include "platform/hosted/windows.h"

struct SDL_Cursor;
struct SDL_Surface;
struct SDL_Window;

namespace sdl {

// The SDL window that shows a top-level hosted window, once it was visible.
struct Shown {
  HWND handle;
  SDL_Window* window;
  RECT client;  // desktop coordinates
  bool popup;
  bool visible;
  // The framebuffer last painted black all over: around the picture it
  // stays black, so a present sends only the picture to the screen.
  SDL_Surface* blackened;
  bool minimised;
};

struct Driver {
  // ---- video
  enum class Video { kUntried, kReady, kMissing };
  Video video = Video::kUntried;
  int32_t originX = 0;  // the primary screen's place among all screens
  int32_t originY = 0;
  int32_t screenWidth = 0;  // the primary screen in its own pixels
  int32_t screenHeight = 0;
  int32_t scale = 0;  // chosen by SetScale, else the screen's default when video starts
  SDL_Cursor* arrow = nullptr;
  std::string lostLine;  // EndWhenScreenLost's; empty: the system's

  // ---- windows
  std::vector<Shown> shown;
  bool startFull = false;
  HWND full = nullptr;
  std::vector<uint32_t> scratch;  // for framebuffers in another pixel format
  uint64_t zonesUntil = 0;        // SDL's ticks when the zones' strips go; 0: not shown yet

  // ---- events
  HeldInputs held;
  keys::HeldLatch latch;
  uint32_t focused = 0;    // the SDL window of ours with the focus; 0: none
  bool attention = false;  // one of ours had the focus since the last message box

  // ---- message boxes
  int printedBoxes = 0;

  // ---- audio
  enum class Audio { kUntried, kReady, kMissing };
  Audio audio = Audio::kUntried;
  uint32_t audioDevice = 0;  // SDL_AudioDeviceID
  bool muted = false;
  bool rumble = true;
  int32_t gain = 65536;  // of the sample queued last: 65536 heard, 0 muted
  uint64_t fedAt = 0;    // SDL's ticks at the last look at the queue
  std::vector<int16_t> mixed;

  // ---- the clock and the signals
  uint64_t frequency = 1;
  int64_t answered = 0;  // the last reading of the counter handed out
  int64_t rests = 0;
  bool endOnSignals = false;
  int endingSignal = 0;
};

// A signal was caught that ends the program (EndOnSignals): the display's
// waits return at once, so that the platform can end the process.
inline bool Interrupted(const Driver& driver) { return driver.endOnSignals && CaughtSignal() != 0; }

}  // namespace sdl
