// What the robustness and regression tests share: the game's screen and the
// pixels of sprites.
#pragma once

#include <gtest/gtest.h>

#include "platform/hosted/inspect.h"
#include "runtime/screen/screen.h"
#include "runtime/window/window.h"

// The game's screen: window 0 centred on the desktop, unpaced.
inline void OpenScreen() {
  ASSERT_NE(ScreenInit(), 0);
  ASSERT_EQ(ScreenSetFrameRate(0), 1);
  ASSERT_NE(WindowOpen(0, 0, 0, 320, 240, 0x80000001, ""), nullptr);
  ASSERT_EQ(ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0), 1);
}

inline uint32_t Pixel(int32_t sprite, int x, int y) {
  hosted::SurfaceInfo info = hosted::InspectSurface(SpriteRecordAt(sprite)->surface);
  return info.pixels[y * (info.pitch / 4) + x];
}

// How many pixels of the sprite have this value.
inline int Count(int32_t sprite, uint32_t pixel) {
  hosted::SurfaceInfo info = hosted::InspectSurface(SpriteRecordAt(sprite)->surface);
  int n = 0;
  for (int y = 0; y < info.height; ++y)
    for (int x = 0; x < info.width; ++x) n += Pixel(sprite, x, y) == pixel;
  return n;
}
