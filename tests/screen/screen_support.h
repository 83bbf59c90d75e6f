// Helpers for the screen tests: pixels of surfaces and of the desktop, what a
// surface's drawing output must say, and setting the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include "platform/hosted/internal.h"
#include "runtime/screen/screen_view.h"
#include "tests/support/game_screen.h"
#include "tests/support/program.h"

namespace screen_test {

inline uint32_t& Pixel(IDirectDrawSurface7* surface, int x, int y) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  return info.pixels[y * (info.pitch / 4) + x];
}

inline uint32_t& SpritePixel(int32_t number, int x, int y) {
  return Pixel(SpriteRecordAt(number)->surface, x, y);
}

inline uint32_t& BackPixel(int x, int y) { return Pixel(ScreenInspect().backBuffer, x, y); }

// The output describes `surface`: its memory, width x height at 32 bits per
// pixel, no window.
inline void ExpectSurfaceOutput(const DrawingOutput* output, IDirectDrawSurface7* surface,
                                uint32_t width, uint32_t height) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  EXPECT_EQ(output->kind, 7);
  EXPECT_EQ(output->window, nullptr);
  EXPECT_EQ(output->pixels, info.pixels);
  EXPECT_EQ(output->pitch, info.pitch);
  EXPECT_EQ(output->width, width);
  EXPECT_EQ(output->height, height);
  EXPECT_EQ(output->bitsPerPixel, 32u);
}

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
