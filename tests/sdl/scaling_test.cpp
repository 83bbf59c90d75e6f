// Whole-number scales: the scale a screen gets by default and the largest it
// allows, for screens that divide evenly and screens that do not, and the
// scaled painting of the desktop.
#include "platform/hosted/display/sdl/scaling.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(Scaling, ScreensGetTheLargestScaleThatLeavesEnoughDesktop) {
  const struct {
    int32_t width, height;
    int32_t byDefault;  // leaves at least 640 x 480
    int32_t largest;    // leaves at least 320 x 240
  } cases[] = {
      {1024, 768, 1, 3}, {1920, 1080, 2, 4}, {2560, 1440, 3, 6}, {3840, 2160, 4, 9},
      {1366, 768, 1, 3}, {1280, 800, 1, 3},  {1280, 1024, 2, 4}, {5120, 1440, 3, 6},
      {1279, 959, 1, 3}, {640, 480, 1, 2},   {639, 479, 1, 1},   {320, 240, 1, 1},
      {300, 200, 1, 1},  {0, 0, 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sdl::DefaultScale(c.width, c.height), c.byDefault) << c.width << "x" << c.height;
    EXPECT_EQ(sdl::LargestScale(c.width, c.height), c.largest) << c.width << "x" << c.height;
  }
  // A picture in full screen: as large as fits, whichever side limits it.
  EXPECT_EQ(sdl::FitScale(1920, 1080, 320, 240), 4);
  EXPECT_EQ(sdl::FitScale(1080, 1920, 320, 240), 3);
  EXPECT_EQ(sdl::FitScale(1920, 1080, 0, 240), 1);  // no picture: scale 1
}

// PaintScaled against a reference worked out pixel by pixel: inside the
// area's k x k blocks, a block shows its desktop pixel when that pixel exists
// and the block fits whole in the target, and black otherwise; the target
// outside the blocks keeps what it held. Targets and areas the scale does not
// divide, cut at every edge; the target in the desktop's format and in another.
TEST(Scaling, PaintingShowsWholeBlocksOnlyAndBlackWhereNothingIsDrawn) {
  constexpr int32_t kWidth = 7, kHeight = 5;
  constexpr uint32_t kKept = 0xABCDEF;
  std::vector<uint32_t> pixels(kWidth * kHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x010203 * static_cast<uint32_t>(i + 1);
  const hosted::DesktopPicture desktop{pixels.data(), kWidth, kHeight, kWidth * 4};
  const struct {
    RECT area;
    int32_t scale, x, y, width, height;  // the area's corner at (x, y) of a width x height target
  } cases[] = {
      {{0, 0, 7, 5}, 3, 0, 0, 20, 14},    // the last blocks cut by the right and bottom edges
      {{0, 0, 7, 5}, 2, -3, -1, 15, 11},  // the first blocks cut by the left and top edges
      {{-2, -1, 5, 4}, 2, 1, 1, 16, 12},  // the area past the desktop's left and top
      {{4, 3, 9, 7}, 3, 2, 0, 17, 13},    // past the desktop's right and bottom
      {{2, 1, 5, 4}, 4, 5, 3, 18, 14},    // inside, its last row of blocks cut
      {{0, 0, 7, 5}, 1, 0, 0, 7, 5},      // scale 1, exactly the target
      {{0, 0, 7, 5}, 3, 30, 0, 20, 14},   // wholly off the target
  };
  for (uint32_t format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888})
    for (const auto& c : cases) {
      SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, c.width, c.height, 32, format);
      ASSERT_NE(target, nullptr);
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0xAB, 0xCD, 0xEF));
      std::vector<uint32_t> scratch;
      sdl::PaintScaled(desktop, c.area, c.scale, c.x, c.y, target, &scratch);
      std::vector<uint32_t> shown, expected;
      for (int32_t ty = 0; ty < c.height; ++ty)
        for (int32_t tx = 0; tx < c.width; ++tx) {
          uint32_t pixel;
          std::memcpy(&pixel, static_cast<uint8_t*>(target->pixels) + ty * target->pitch + tx * 4,
                      4);
          shown.push_back(pixel & 0xFFFFFF);
          const int32_t dx = tx - c.x, dy = ty - c.y;
          if (dx < 0 || dy < 0 || dx >= (c.area.right - c.area.left) * c.scale ||
              dy >= (c.area.bottom - c.area.top) * c.scale) {
            expected.push_back(kKept);
            continue;
          }
          const int32_t blockX = c.x + dx / c.scale * c.scale,
                        blockY = c.y + dy / c.scale * c.scale;
          const int32_t sx = c.area.left + dx / c.scale, sy = c.area.top + dy / c.scale;
          const bool whole = blockX >= 0 && blockY >= 0 && blockX + c.scale <= c.width &&
                             blockY + c.scale <= c.height;
          const bool onDesktop = sx >= 0 && sy >= 0 && sx < kWidth && sy < kHeight;
          expected.push_back(whole && onDesktop ? pixels[sy * kWidth + sx] : 0);
        }
      SDL_FreeSurface(target);
      EXPECT_EQ(shown, expected) << SDL_GetPixelFormatName(format) << " area (" << c.area.left
                                 << ", " << c.area.top << ", " << c.area.right << ", "
                                 << c.area.bottom << ") scale " << c.scale << " at (" << c.x << ", "
                                 << c.y << ") of " << c.width << " x " << c.height;
    }
}

}  // namespace
