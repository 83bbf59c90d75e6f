// Whole-number scales: the scale a screen gets by default and the largest it
// allows, for screens that divide evenly and screens that do not.
#include "platform/hosted/display/sdl/scaling.h"

#include <gtest/gtest.h>

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

}  // namespace
