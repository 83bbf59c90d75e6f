// What the modules of the hosted platform share among themselves; not for
// the runtime, which sees only windows.h.
#pragma once

#include <cstdint>

#include "platform/hosted/clock.h"
#include "platform/hosted/display/display.h"
#include "platform/hosted/process.h"
#include "platform/hosted/services.h"
#include "platform/hosted/windows.h"

namespace hosted {

// Thrown by ExitProcess inside RunProcess and caught there.
struct ProcessExit {
  UINT code;
};

// The installed display; a process always has one (a built-in null display
// when none was installed). A platform call that asks it anything other than
// a reading of the counter tells the clock first (NotWaiting, clock.h).
Display& CurrentDisplay();

// Makes `display` the current one (null: the built-in null display) and
// sizes the desktop picture to it.
void InstallDisplay(Display* display);

// The hooks of the running process; hooks that change nothing when it has
// none. Like the display, asked only after telling the clock (NotWaiting).
ProcessHooks& CurrentHooks();

// Every module keeps what it knows in one state object (struct KernelState,
// UserState, ...) that its functions reach through State() in the module's
// own unnamed namespace, and empties it when a process starts (RunProcess).
void ResetKernel();
void ResetUser();
void ResetMessages();
void ResetWindowDCs();
void ResetGdi();
void ResetDirectDraw();
void ResetDirectInput();
void ResetDirectSound();

// gdi: a device context drawing into 32-bit XRGB memory, as DirectDraw
// surfaces and window DCs hand them out. Deleting it leaves the memory alone.
HDC CreateMemoryDC(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch);
void DeleteMemoryDC(HDC dc);

// user: the outer and client rectangles of a live window; false for others.
bool WindowRects(HWND window, RECT* outer, RECT* client);

// messages: drops what waits in the queue for `window`, which is being
// destroyed.
void ForgetMessages(HWND window);

// 32-bit coordinate arithmetic that wraps, as Win32's does.
inline LONG WrapAdd(LONG a, LONG b) {
  return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline LONG WrapSubtract(LONG a, LONG b) {
  return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Case-insensitive comparison of ASCII strings.
bool EqualNoCase(const char* a, const char* b);

}  // namespace hosted
