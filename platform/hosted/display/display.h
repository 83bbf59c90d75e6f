// Where hosted windows appear, where keys and time come from: the interface
// of a display backend.
//
// The hosted platform (platform/hosted/) implements the Win32 subset; whatever
// it cannot decide by itself it asks the installed display. A backend is one
// static library behind this header: `sdl` puts windows on a real screen,
// `web` on a page's canvas, `headless` keeps the desktop in memory with a
// virtual clock and scripted keys for tests and replays. Exactly one display
// is installed while a hosted process runs (platform/hosted/process.h); what
// the platform offers its displays in return (the desktop picture, the
// message queue, the foreground window, the rest in a wait) is in
// platform/hosted/services.h. A display with sound plays the platform's mix
// of the DirectSound buffers by its clock.
//
// The desktop picture is memory owned by the hosted platform: the DirectDraw
// primary surface is that memory, so a blit to it is what the player sees
// once the display is told (Present).
#pragma once

#include <cstdint>

#include "platform/hosted/windows.h"

namespace hosted {

// What the display needs to know of a top-level window.
struct TopWindow {
  RECT rect;    // outer rectangle in desktop coordinates
  RECT client;  // client area in desktop coordinates
  bool visible;
  bool popup;         // WS_POPUP: no frame and no title bar
  const char* title;  // valid only during the call
};

class Display {
 public:
  virtual ~Display() = default;

  // False when no screen can be shown at all; "DDRAW.DLL" is then missing.
  virtual bool Available() = 0;
  // Size of the desktop in pixels, as GetSystemMetrics reports it.
  virtual void DesktopSize(int32_t* width, int32_t* height) = 0;

  // The clock. The performance counter runs at 10 MHz; GetTickCount is in ms.
  virtual int64_t ReadCounter() = 0;
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // The program waits on the clock (platform/hosted/clock.h): a display on
  // real time may let the processor rest here (RestInWait) before the
  // reading is taken; a virtual clock does nothing, so that its readings
  // stay exactly as they are. `foreseen` is how long after the previous
  // reading the wait is foreseen to end, in counter units; 0 when unknown.
  virtual void Rest(int64_t /*foreseen*/) {}
  // The player is away: the program's window was minimised or lost the focus
  // it had, or the page is hidden. The platform then holds the program at its
  // next reading of the counter, and the counter does not advance until the
  // player is back (platform/hosted/clock.h). A display that never had the
  // player's attention (a window that never had the focus) is never away.
  virtual bool Away() { return false; }
  // Waits until the player is back, resting the processor and taking in the
  // system's events meanwhile; whatever is held on return counts only once
  // pressed again (display/keys/inputs.h). A display that may end the
  // process (ProcessHooks::EndRequested) returns early when it is to end.
  virtual void WaitForReturn() {}

  // A top-level window was created, moved, shown or hidden; or destroyed.
  virtual void WindowChanged(HWND window, const TopWindow& top) = 0;
  virtual void WindowDestroyed(HWND window) = 0;
  // Desktop pixels inside `area` (desktop coordinates, already clipped to the
  // window) were written by a blit to the primary surface for `window`.
  virtual void Present(HWND window, const RECT& area) = 0;

  // Deliver pending input events; close requests become WM_CLOSE through
  // PostQueued. Called wherever messages are retrieved or keys are read.
  virtual void Pump() = 0;
  // The keyboard in DirectInput scan codes, bit 7 set for a key that is down.
  // False when the keyboard cannot be read now.
  virtual bool ReadKeyboard(uint8_t state[256]) = 0;

  // A modal message box; returns the identifier of the button pressed.
  virtual int MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) = 0;

  // ---- sound (platform/hosted/dsound.h); a display that leaves these as
  // they are has none, and the program is silent
  // Whether the display plays sound: it then plays the platform's mix
  // (MixSound, services.h) by its clock. Without it DirectSoundCreate fails,
  // as on a machine without a sound device.
  virtual bool SoundAvailable() { return false; }
  // The playing buffers are about to change (one starts, stops, jumps,
  // changes its volume or goes): a display that mixes by its clock mixes
  // what is due until now first, so that the change is heard from now on.
  virtual void SoundChanging() {}
  // Player `player`'s (1, 2, ...) game pad shakes for `milliseconds`, or
  // stops shaking (0): a buffer of the pad feel (platform/pad_feel.h)
  // started or stopped playing.
  virtual void Rumble(int32_t /*player*/, uint32_t /*milliseconds*/) {}
};

// The declarations of every operation above that a backend must implement,
// for the class of a backend: one list, kept with the interface.
// clang-format off
#define HOSTED_DISPLAY_OPERATIONS                                                               \
  bool Available() override;                                                                    \
  void DesktopSize(int32_t* width, int32_t* height) override;                                   \
  int64_t ReadCounter() override;                                                               \
  uint32_t TickCount() override;                                                                \
  void Sleep(uint32_t milliseconds) override;                                                   \
  void WindowChanged(HWND window, const hosted::TopWindow& top) override;                       \
  void WindowDestroyed(HWND window) override;                                                   \
  void Present(HWND window, const RECT& area) override;                                         \
  void Pump() override;                                                                         \
  bool ReadKeyboard(uint8_t state[256]) override;                                               \
  int MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) override
// clang-format on

}  // namespace hosted
