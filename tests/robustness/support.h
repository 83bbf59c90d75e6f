// What the robustness and regression tests share: the pixels of sprites.
#pragma once

#include <gtest/gtest.h>

#include "platform/hosted/hosted_view.h"
#include "runtime/screen/screen_view.h"
#include "tests/support/game_screen.h"

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
