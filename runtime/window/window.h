// Numbered top-level windows and their shared window procedure.
//
// Window n has a class of its own, "WindowClass_<n>", registered with shared
// attributes (WindowProcedure, the instance, icon resource 1, the arrow
// cursor, a COLOR_BTNFACE background brush). WindowOpen decodes its flags:
// 0x1 centres on the screen, 0x2 on the active window (wins over 0x1), both
// are removed; a remaining style of 0 or exactly 0x10000000 gets WS_CAPTION;
// then 0x10000000 is inverted, so given it means hidden, absent it means
// WS_VISIBLE. Centring halves sizes by arithmetic shifts; on the active window
// negative coordinates are raised to 0, on the screen they are kept. The table
// starts with room for 10 numbers and grows to number + 10 when a larger
// number is opened; it never shrinks.
//
// WindowProcedure keeps close requests and size changes from the default
// handling, so the user cannot close a window; only WindowClose and the
// runtime's end do. Numbers outside 0 ... kWindowNumberLimit - 1 are refused
// by WindowOpen (result 0) and ignored by WindowClose. When the table cannot
// grow, WindowOpen returns 0 and the table stays as it was.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Window numbers from this one up are refused: their table would be far
// larger than any program of this kind needs.
constexpr int32_t kWindowNumberLimit = 65536;

// Opens window `number` (closing one already open under it first) with a
// client area of width x height, its outer top-left corner at (x, y) or
// centred as the flags say;
// returns its handle, or 0 on failure (the class then stays registered).
HWND WindowOpen(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t flags, const char* title);
// The window the last successful WindowOpen created; 0 before. A WindowClose
// does not change it.
HWND WindowHandle();
// Destroys window `number`, if open, and unregisters its class.
void WindowClose(int32_t number);
// Ignores WM_CLOSE and WM_SIZE (result 0); everything else goes to
// DefWindowProcA.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
