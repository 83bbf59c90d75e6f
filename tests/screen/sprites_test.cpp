// The sprite table, the display target and the sprites: growth, replacing and
// freeing, refused numbers, clipping against the target, copies onto
// themselves, keyed copies and the sprite output.
#include <vector>

#include "tests/screen/screen_support.h"

namespace {

using namespace screen_test;

// Back buffer all `marker`, sprite 5 a 20 x 20 pattern, then one copy; every
// back buffer pixel must then be the sprite's where the copy is expected and
// the marker elsewhere.
void ExpectCopy(int32_t x, int32_t y, RECT expected) {
  const uint32_t marker = 0x010203;
  ScreenClear(1, 2, 3);
  SpriteDisplay(5, x, y);
  for (int py = 0; py < 240; ++py)
    for (int px = 0; px < 320; ++px) {
      bool inside =
          px >= expected.left && px < expected.right && py >= expected.top && py < expected.bottom;
      uint32_t want = inside ? SpritePixel(5, px - x, py - y) : marker;
      ASSERT_EQ(BackPixel(px, py), want) << "copy at " << x << "," << y << ": " << px << "," << py;
    }
}

TEST(SpriteDisplay, IsClippedToTheTarget) {
  RunWithProgram([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(5, 20, 20), nullptr);
    Pattern(SpriteRecordAt(5)->surface);
    ExpectCopy(310, 230, {310, 230, 320, 240});  // its top-left 10 x 10
    ExpectCopy(-5, -5, {0, 0, 15, 15});          // its bottom-right 15 x 15
    ExpectCopy(-20, 0, {0, 0, 0, 0});            // touching from outside: nothing
    ExpectCopy(320, 0, {0, 0, 0, 0});
    ExpectCopy(0, -20, {0, 0, 0, 0});
    ExpectCopy(0, 240, {0, 0, 0, 0});
    ExpectCopy(100, 50, {100, 50, 120, 70});
    ExpectCopy(-19, 239, {0, 239, 1, 240});
    // Far outside, also where x + width would overflow.
    ExpectCopy(INT32_MAX, 0, {0, 0, 0, 0});
    ExpectCopy(INT32_MIN, INT32_MIN, {0, 0, 0, 0});
  });
}

TEST(SpriteDisplay, OntoItselfReadsTheWholeSourceFirst) {
  RunWithProgram([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(1, 320, 240), nullptr);
    IDirectDrawSurface7* cave = SpriteRecordAt(1)->surface;
    for (int32_t shift : {-3, 3}) {
      Pattern(cave);
      std::vector<uint32_t> before;
      for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) before.push_back(SpritePixel(1, x, y));
      SpriteTarget(1);
      EXPECT_EQ(ScreenInspect().target.width, 320);
      EXPECT_EQ(ScreenInspect().target.height, 240);
      SpriteDisplay(1, shift, 0);
      SpriteTarget(-1);
      // By -3: columns 0-316 show what 3-319 showed, 317-319 are unchanged.
      // By +3: columns 3-319 show what 0-316 showed, 0-2 are unchanged.
      for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
          int from = x - shift;
          uint32_t want = from >= 0 && from < 320 ? before[y * 320 + from] : before[y * 320 + x];
          ASSERT_EQ(SpritePixel(1, x, y), want) << shift << ": " << x << "," << y;
        }
      EXPECT_EQ(ScreenInspect().target.surface, ScreenInspect().backBuffer);
      EXPECT_EQ(ScreenInspect().target.width, 320);
    }
  });
}

TEST(SpriteDisplayKeyed, LeavesBlackSourcePixelsOut) {
  RunWithProgram([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(10, 20, 20), nullptr);
    // A new sprite is all black: a keyed copy of it changes nothing.
    Pattern(ScreenInspect().backBuffer);
    std::vector<uint32_t> before;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) before.push_back(BackPixel(x, y));
    SpriteDisplayKeyed(10, 40, 40);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) ASSERT_EQ(BackPixel(x, y), before[y * 320 + x]);
    // A ball: coloured inside radius 9, black corners and outer ring.
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        int dx = 2 * x - 19, dy = 2 * y - 19;
        SpritePixel(10, x, y) = dx * dx + dy * dy < 18 * 18 ? 0xC0C0C0u + x : 0u;
      }
    SpriteDisplayKeyed(10, 100, 50);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        uint32_t source = SpritePixel(10, x, y);
        uint32_t want = source != 0 ? source : before[(50 + y) * 320 + 100 + x];
        ASSERT_EQ(BackPixel(100 + x, 50 + y), want) << x << "," << y;
      }
    // Opaque copies the black too.
    SpriteDisplay(10, 100, 50);
    EXPECT_EQ(BackPixel(100, 50), 0u);
  });
}

// The key is black alone: the darkest pixel of each component is copied.
TEST(SpriteDisplayKeyed, KeysOutBlackAndNothingNextToIt) {
  const struct {
    uint32_t source;
    bool copied;
  } pixels[] = {
      {0x000000, false}, {0x000001, true}, {0x000100, true}, {0x010000, true}, {0xFFFFFF, true}};
  RunWithProgram([&] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(10, 5, 1), nullptr);
    for (int x = 0; x < 5; ++x) SpritePixel(10, x, 0) = pixels[x].source;
    ScreenClear(1, 2, 3);
    SpriteDisplayKeyed(10, 7, 9);
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(BackPixel(7 + x, 9), pixels[x].copied ? pixels[x].source : 0x010203u)
          << std::hex << pixels[x].source;
  });
}

TEST(SpriteTable, GrowsKeepsRecordsAndFrees) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    OpenGameScreen();
    IDirectDrawSurface7* kept = SpriteCreate(5, 4, 6);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(SpriteCreate(60, 8, 8), nullptr);
    EXPECT_EQ(ScreenInspect().spriteCapacity, 110);
    const SpriteRecord* record = SpriteRecordAt(5);
    EXPECT_EQ(record->surface, kept);
    EXPECT_EQ(record->width, 4);
    EXPECT_EQ(record->height, 6);
    EXPECT_EQ(record->depth, 32);
    EXPECT_EQ(record->targetWidth, 4);
    EXPECT_EQ(record->targetHeight, 6);
    for (int32_t n = 50; n < 110; ++n) {
      if (n != 60) {
        ASSERT_EQ(SpriteRecordAt(n)->surface, nullptr) << n;
      }
    }
    EXPECT_EQ(SpriteRecordAt(110), nullptr);
    SpriteTableGrow(109);  // room already
    EXPECT_EQ(ScreenInspect().spriteCapacity, 110);
    SpriteTableGrow(-4);
    EXPECT_EQ(ScreenInspect().spriteCapacity, 110);
    SpriteTableGrow(200);
    EXPECT_EQ(ScreenInspect().spriteCapacity, 250);
    EXPECT_EQ(SpriteRecordAt(60)->width, 8);

    // A table that cannot grow stays whole; the sprite is refused.
    display.FailHeapAllocFrom(0);
    EXPECT_EQ(SpriteCreate(400, 4, 4), nullptr);
    display.ClearFailures();
    EXPECT_EQ(ScreenInspect().spriteCapacity, 250);
    EXPECT_EQ(SpriteRecordAt(5)->surface, kept);

    // Replacing releases the old surface first, also when the new one fails.
    IDirectDrawSurface7* second = SpriteCreate(5, 6, 6);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(hosted::InspectSurface(kept).pixels, nullptr);
    display.FailSurfaceSize(7, 7);
    EXPECT_EQ(SpriteCreate(5, 7, 7), nullptr);
    EXPECT_EQ(SpriteRecordAt(5)->surface, nullptr);
    EXPECT_EQ(hosted::InspectSurface(second).pixels, nullptr);
    SpriteFree(5);  // an empty slot: nothing happens
    SpriteFree(60);
    EXPECT_EQ(SpriteRecordAt(60)->surface, nullptr);
    EXPECT_EQ(SpriteRecordAt(60)->width, 8);  // only the surface goes
  });
}

TEST(SpriteTarget, MovesOnlyToHeldSpritesAndHome) {
  RunWithProgram([] {
    OpenGameScreen();
    IDirectDrawSurface7* back = ScreenInspect().backBuffer;
    IDirectDrawSurface7* sprite = SpriteCreate(1, 40, 30);
    EXPECT_EQ(SpriteTarget(5), back);    // empty slot
    EXPECT_EQ(SpriteTarget(900), back);  // beyond the table
    EXPECT_EQ(SpriteTarget(1), sprite);
    EXPECT_EQ(ScreenInspect().target.width, 40);
    EXPECT_EQ(ScreenInspect().target.height, 30);
    EXPECT_EQ(SpriteTarget(-2), sprite);  // no meaning: no change
    EXPECT_EQ(SpriteTarget(-1), back);
    EXPECT_EQ(ScreenInspect().target.width, 320);
    EXPECT_EQ(ScreenInspect().target.height, 240);
    // A sprite freed while it is the target sends the target home.
    SpriteTarget(1);
    SpriteFree(1);
    EXPECT_EQ(ScreenInspect().target.surface, back);
    EXPECT_EQ(ScreenInspect().target.width, 320);
    EXPECT_EQ(ScreenClear(9, 9, 9), DD_OK);
  });
}

TEST(Sprites, RefuseNegativeNumbersAndBadSizes) {
  RunWithProgram([] {
    OpenGameScreen();
    ScreenClear(1, 1, 1);
    EXPECT_EQ(SpriteCreate(-1, 8, 8), nullptr);
    EXPECT_EQ(SpriteCreate(INT32_MIN, 8, 8), nullptr);
    EXPECT_EQ(ScreenInspect().spriteCapacity, 50);
    for (int32_t size : {0, -3, 32768}) {
      EXPECT_EQ(SpriteCreate(2, size, 8), nullptr);
      EXPECT_EQ(SpriteCreate(2, 8, size), nullptr);
      EXPECT_EQ(SpriteRecordAt(2)->surface, nullptr);
    }
    SpriteDisplay(-1, 0, 0);
    SpriteDisplayKeyed(-1, 0, 0);
    SpriteDisplay(3, 0, 0);     // empty
    SpriteDisplay(5000, 0, 0);  // beyond the table
    EXPECT_EQ(BackPixel(0, 0), 0x010101u);
    SpriteFree(-1);
    SpriteFree(5000);
    EXPECT_EQ(SpriteOutput(-1), nullptr);
    EXPECT_EQ(SpriteOutput(3), nullptr);
    EXPECT_EQ(SpriteOutput(5000), nullptr);
    EXPECT_EQ(ScreenInspect().spriteCapacity, 50);
  });
}

TEST(SpriteDisplay, DrawsNothingBeforeAScreenWasOpened) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    ASSERT_NE(ScreenInit(), 0);
    EXPECT_EQ(SpriteCreate(1, 8, 8), nullptr);  // no cooperative level yet
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    display.Fail(hosted::FailPoint::kPrimarySurface);
    ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 0);
    display.ClearFailures();
    // DirectDraw makes sprites now, but the screen has never been active.
    ASSERT_NE(SpriteCreate(1, 8, 8), nullptr);
    ASSERT_NE(SpriteCreate(2, 8, 8), nullptr);
    Pattern(SpriteRecordAt(1)->surface);
    SpriteTarget(2);
    SpriteDisplay(1, 0, 0);
    SpriteDisplayKeyed(1, 0, 0);
    EXPECT_EQ(SpritePixel(2, 3, 3), 0u);
    ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
    ASSERT_NE(SpriteCreate(1, 8, 8), nullptr);
    ASSERT_NE(SpriteCreate(2, 8, 8), nullptr);
    Pattern(SpriteRecordAt(1)->surface);
    SpriteTarget(2);
    SpriteDisplay(1, 0, 0);
    EXPECT_EQ(SpritePixel(2, 3, 3), SpritePixel(1, 3, 3));
  });
}

TEST(SpriteOutput, HandsOneSpriteOutUntilReleased) {
  RunWithProgram([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(1, 30, 20), nullptr);
    ASSERT_NE(SpriteCreate(2, 8, 8), nullptr);
    DrawingOutput* output = SpriteOutput(1);
    ASSERT_NE(output, nullptr);
    ExpectSurfaceOutput(output, SpriteRecordAt(1)->surface, 30, 20);
    SetPixelV(output->deviceContext, 29, 19, RGB(1, 2, 3));
    EXPECT_EQ(SpritePixel(1, 29, 19), 0x010203u);
    EXPECT_EQ(SpriteOutput(1), nullptr);  // twice without release
    EXPECT_EQ(SpriteOutput(2), nullptr);  // any other sprite neither
    output->release();
    output->release();  // a second release does nothing
    ASSERT_NE(SpriteOutput(2), nullptr);
    // Replacing the sprite handed out gives its device context back.
    void (*release)() = output->release;
    ASSERT_NE(SpriteCreate(2, 8, 8), nullptr);
    ASSERT_NE(SpriteOutput(1), nullptr);
    // So does closing the screen; the late release is harmless.
    ScreenClose();
    release();
    EXPECT_EQ(SpriteOutput(1), nullptr);  // gone with the screen
  });
}

}  // namespace
