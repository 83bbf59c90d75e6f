// Where hosted windows appear, where keys and time come from.
//
// The hosted platform (platform/hosted/) implements the Win32 subset; whatever
// it cannot decide by itself it asks the installed display. A backend is one
// static library behind this header: `sdl` puts windows on a real screen,
// `headless` keeps the desktop in memory with a virtual clock and scripted keys
// for tests and replays. Exactly one display is installed while a hosted
// process runs (RunProcess).
//
// The desktop picture is memory owned by the hosted platform (Desktop()):
// the DirectDraw primary surface is that memory, so a blit to it is what the
// player sees once the display is told (Present).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/hosted/windows.h"

namespace hosted {

// Platform steps that a display can make fail on request (tests, replays).
enum class FailPoint {
  kLoadLibrary,        // detail: module name as passed to LoadLibraryA
  kDirectDrawCreate,   // DirectDrawCreateEx
  kPrimarySurface,     // CreateSurface of the primary surface
  kBackBuffer,         // CreateSurface with DDSCAPS_3DDEVICE | DDSCAPS_OFFSCREENPLAIN
  kClipper,            // CreateClipper
  kSurfaceSize,        // CreateSurface of a plain surface; width, height given
  kDirectInputCreate,  // DirectInputCreateEx
  kDirectInputDevice,  // IDirectInput7A::CreateDeviceEx
  kGetDeviceState,     // IDirectInputDevice7A::GetDeviceState
  kCreateWindow,       // CreateWindowExA; detail: class name
  kHeapCreate,         // HeapCreate
  kHeapAlloc,          // HeapAlloc and HeapReAlloc
};

// What the display needs to know of a top-level window.
struct WindowView {
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
  // The program waits on the clock: it reads the performance counter again
  // with no other platform call since its previous reading (the runtime
  // paces its frames by such a busy-wait). A display on real time may let
  // the processor rest here before the reading is taken (RestInWait), so
  // that the wait still ends close to when it should; the reading itself is
  // the true time. `foreseen` is how long after the previous reading the
  // wait is foreseen to end, in counter units, from the rhythm of the waits
  // before it; 0 when there is no rhythm yet. A virtual clock does nothing,
  // so that its readings stay exactly as they are.
  virtual void Rest(int64_t /*foreseen*/) {}

  // A top-level window was created, moved, shown or hidden; or destroyed.
  virtual void WindowChanged(HWND window, const WindowView& view) = 0;
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
  // A read of the keyboard device failed without asking ReadKeyboard (the
  // device was not acquired, or its window was not in front): the reader
  // keeps the snapshot it had. Displays that count snapshots may count it.
  virtual void KeyboardUnread() {}

  // A modal message box; returns the identifier of the button pressed.
  virtual int MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) = 0;

  // True when the display wants this platform step to fail.
  virtual bool Fails(FailPoint point, const char* detail, int32_t width, int32_t height) = 0;
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
  void WindowChanged(HWND window, const hosted::WindowView& view) override;                     \
  void WindowDestroyed(HWND window) override;                                                   \
  void Present(HWND window, const RECT& area) override;                                         \
  void Pump() override;                                                                         \
  bool ReadKeyboard(uint8_t state[256]) override;                                               \
  int MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) override;      \
  bool Fails(hosted::FailPoint point, const char* detail, int32_t width, int32_t height) override
// clang-format on

// The installed display; a process always has one (a built-in headless
// default when none was installed). Every platform call that reaches the
// display passes here, which is how a wait on the clock is told apart
// (ReadClock).
Display& CurrentDisplay();

// The performance counter, as QueryPerformanceCounter reads it: the display's
// reading, after a rest (Display::Rest) when nothing else reached the display
// since the previous reading. The ends of the waits give their rhythm: the
// runtime ends a wait a whole frame period after the previous one ended, so
// the shortest of the last eight intervals between ends foresees the next.
// A wait that a long rest overshot starts the rhythm anew.
int64_t ReadClock();

// How a display on real time rests in a wait. When the program spent more
// than a moment (20 us) since the previous reading was answered, it was
// working, not waiting, and there is no rest. Otherwise the processor sleeps
// until 1.5 ms before the foreseen end of the wait, or, that close to it or
// with nothing foreseen, a tenth of a millisecond. `answered` and `now` are
// readings of the counter (10 MHz), `foreseen` as Display::Rest has it. True
// when it slept.
bool RestInWait(int64_t answered, int64_t now, int64_t foreseen);

// The desktop picture: 32-bit XRGB pixels, row after row.
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

}  // namespace hosted
