// Helpers for the screen tests: the game's screen, pixels of surfaces and of
// the desktop, and setting the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include "platform/hosted/internal.h"
#include "runtime/screen/screen_inspect.h"
#include "runtime/window/window.h"
#include "tests/support/program.h"

namespace screen_test {

// The game's screen: a borderless 320 x 240 window centred on the 1024 x 768
// desktop, at (352, 264), and the windowed screen in it.
inline HWND OpenGameScreen() {
  EXPECT_NE(ScreenInit(), 0);
  HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
  return window;
}

inline uint32_t& Pixel(IDirectDrawSurface7* surface, int x, int y) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  return info.pixels[y * (info.pitch / 4) + x];
}

inline uint32_t& SpritePixel(int32_t number, int x, int y) {
  return Pixel(SpriteRecordAt(number)->surface, x, y);
}

inline uint32_t& BackPixel(int x, int y) { return Pixel(ScreenInspect().backBuffer, x, y); }

inline uint32_t DesktopPixel(int x, int y) {
  hosted::DesktopPicture desktop = hosted::Desktop();
  return desktop.pixels[y * (desktop.pitch / 4) + x];
}

// Every pixel different from every other and from 0.
inline void Pattern(IDirectDrawSurface7* surface, uint32_t base = 0x100000) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  for (int y = 0; y < info.height; ++y)
    for (int x = 0; x < info.width; ++x) Pixel(surface, x, y) = base + y * 512u + x;
}

// The virtual counter moves in steps of 1000 ticks (one reading) and of
// 10000 ticks (one millisecond of Sleep).
inline void AdvanceCounterTo(headless::HeadlessDisplay& display, int64_t target) {
  ASSERT_EQ(target % 1000, 0);
  ASSERT_GE(target, display.Counter());
  Sleep(static_cast<DWORD>((target - display.Counter()) / 10000));
  LARGE_INTEGER count;
  while (display.Counter() < target) QueryPerformanceCounter(&count);
  ASSERT_EQ(display.Counter(), target);
}

}  // namespace screen_test
