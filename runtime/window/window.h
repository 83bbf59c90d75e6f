// Numbered top-level windows and their shared window procedure.
//
// Window n has a class of its own, "WindowClass_<n>", registered with shared
// attributes (WindowProcedure, the instance, icon resource 1, the arrow
// cursor, a COLOR_BTNFACE background brush). WindowOpen's flags are window
// styles (WS_*) with two of their bits used otherwise: kWindowCentred centres
// the window on the screen, kWindowCentredOnActive on the active window (and
// wins over kWindowCentred); both are removed from the style. A remaining
// style of 0 or exactly kWindowHidden gets WS_CAPTION; then the kWindowHidden
// bit (WS_VISIBLE) is inverted, so given it means hidden, absent it means
// visible. Centring halves sizes by arithmetic shifts; on the active window
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

// WindowOpen's flags, added to window styles.
constexpr uint32_t kWindowCentred = 0x00000001;          // centred on the screen
constexpr uint32_t kWindowCentredOnActive = 0x00000002;  // centred on the active window
constexpr uint32_t kWindowHidden = 0x10000000;           // not shown (WS_VISIBLE inverted)
constexpr uint32_t kWindowPopup = 0x80000000;            // no frame, no caption (WS_POPUP)
// The game's window: a borderless popup centred on the screen.
constexpr uint32_t kWindowCentredPopup = kWindowPopup | kWindowCentred;

// Opens window `number` (closing one already open under it first) with a
// client area of width x height, its outer top-left corner at (x, y) or
// centred as the flags say;
// returns its handle, or 0 on failure (the class then stays registered).
HWND WindowOpen(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags,
                const char* title);
// The window the last successful WindowOpen created; 0 before. A WindowClose
// does not change it.
HWND WindowHandle();
// Destroys window `number`, if open, and unregisters its class.
void WindowClose(int32_t number);
// Ignores WM_CLOSE and WM_SIZE (result 0); everything else goes to
// DefWindowProcA.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
