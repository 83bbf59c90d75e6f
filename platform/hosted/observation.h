// What the hosted objects hold right now, for tests and tools: the hosted
// platform's inspection calls, which neither the runtime nor a display makes.
// The headless display's header brings them along for its users; the desktop
// picture itself is the display's (Desktop() in display/display.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/hosted/ddraw.h"
#include "platform/hosted/windows.h"

namespace hosted {

// Number of live blocks of a private heap; 0 for a handle that is no heap.
size_t HeapBlockCount(HANDLE heap);

struct WindowInfo {
  bool exists;
  char className[64];
  char title[256];
  DWORD style;
  RECT rect;    // outer rectangle, desktop coordinates
  RECT client;  // client area, desktop coordinates
  bool visible;
};
WindowInfo InspectWindow(HWND window);

// Every window that exists, in creation order.
int WindowCount();
HWND WindowAt(int index);

struct SurfaceInfo {
  uint32_t* pixels;  // 32-bit XRGB; null for an unknown surface
  int32_t width;
  int32_t height;
  int32_t pitch;  // bytes
  bool primary;
};
SurfaceInfo InspectSurface(IDirectDrawSurface7* surface);

// The keyboard device made last by IDirectInput7A::CreateDeviceEx, while it
// lives (exists false once released, or before one was made).
struct KeyboardDeviceInfo {
  bool exists;
  ULONG references;
  bool formatSet;
  HWND window;        // of the cooperative level
  DWORD cooperation;  // DISCL_ flags; 0 until a level was set
  bool acquired;
  int32_t acquisitions;  // successful Acquire calls
};
KeyboardDeviceInfo InspectKeyboardDevice();

}  // namespace hosted
