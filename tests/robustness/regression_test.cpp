// Faults the fuzz target found, each pinned down by the smallest case that
// shows it. Several showed only as a sanitizer report (use after free,
// signed overflow) or as a run that did not end; under the asan preset these
// tests catch them again.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/hosted/internal.h"
#include "runtime/core/core.h"
#include "runtime/drawing/drawing.h"
#include "runtime/list/list.h"
#include "runtime/screen/screen.h"
#include "runtime/window/window.h"
#include "tests/robustness/support.h"
#include "tests/support/program.h"

namespace {

TEST(Regression, ARecordSizeWhoseElementWouldNotFitIsRefused) {
  InRuntime([] {
    // 16 bytes of links plus this record size wrapped round to 15 bytes: the
    // first ListAdd wrote its links past the block.
    List list{};
    EXPECT_EQ(ListNew(&list, UINT32_MAX), nullptr);
    EXPECT_EQ(ListAdd(&list), nullptr);
    EXPECT_EQ(ListCount(&list), 0);
    const uint32_t largest = UINT32_MAX - static_cast<uint32_t>(sizeof(ListElement));
    EXPECT_EQ(ListNew(&list, largest + 1), nullptr);
    ASSERT_NE(ListNew(&list, largest), nullptr);
    EXPECT_EQ(list.head->elementSize, UINT32_MAX);
  });
}

TEST(Regression, AListMadeAgainStartsWithoutACursor) {
  InRuntime([] {
    // The cursor left on an element of the old list made the next ListAdd
    // link into that list, leaving the new one with a last but no first.
    List list{};
    ListNew(&list, 4);
    ListAdd(&list);
    ListAdd(&list);
    ASSERT_NE(ListNew(&list, 4), nullptr);
    EXPECT_EQ(list.current, nullptr);
    ListElement* added = ListAdd(&list);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(list.head->first, added);
    EXPECT_EQ(list.head->last, added);
    EXPECT_EQ(added->previous, nullptr);
    EXPECT_EQ(added->next, nullptr);
    EXPECT_EQ(ListCount(&list), 1);
  });
}

TEST(Regression, HugeSpriteNumbersAreRefusedWithoutGrowingTheTable) {
  InRuntime([] {
    OpenGameScreen();
    // SpriteCreate(2147483600, ...) asked the heap for a 64 GiB table and
    // zeroed it.
    const int32_t capacity = ScreenInspect().spriteCapacity;
    EXPECT_EQ(SpriteCreate(kSpriteNumberLimit, 8, 8), nullptr);
    EXPECT_EQ(SpriteCreate(INT32_MAX - 10, 8, 8), nullptr);
    SpriteTableGrow(INT32_MAX - 10);
    EXPECT_EQ(ScreenInspect().spriteCapacity, capacity);
    EXPECT_EQ(SpriteOutput(INT32_MAX), nullptr);
    SpriteDisplay(INT32_MAX, 0, 0);
    // The last number below the limit still works.
    EXPECT_NE(SpriteCreate(kSpriteNumberLimit - 1, 8, 8), nullptr);
    EXPECT_EQ(ScreenInspect().spriteCapacity, kSpriteNumberLimit - 1 + 50);
  });
}

TEST(Regression, WindowsAtTheEdgesOfTheCoordinateRangeOpen) {
  InRuntime([] {
    // The window manager added position, size and frame in signed 32-bit
    // arithmetic, which overflowed.
    HWND right = WindowOpen(1, INT32_MAX - 1, 0, 320, 240, 0, "");
    ASSERT_NE(right, nullptr);
    HWND left = WindowOpen(2, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0x00CF0000, "");
    ASSERT_NE(left, nullptr);
    RECT rect;
    EXPECT_TRUE(GetClientRect(left, &rect));
    RECT moved{INT32_MAX, INT32_MIN, 0, 0};
    EXPECT_TRUE(OffsetRect(&moved, 1, -1));
    EXPECT_EQ(moved.left, INT32_MIN);
    EXPECT_EQ(moved.top, INT32_MAX);
    WindowClose(1);
    WindowClose(2);
    EXPECT_FALSE(hosted::InspectWindow(right).exists);
    EXPECT_FALSE(hosted::InspectWindow(left).exists);
  });
}

TEST(Regression, AScreenFarOutsideItsWindowShowsNothing) {
  headless::HeadlessDisplay display;
  EXPECT_EQ(RunWithProgram(
                display,
                [&] {
                  ASSERT_NE(ScreenInit(), 0);
                  ASSERT_EQ(ScreenSetFrameRate(0), 1);
                  HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
                  // The offsets and the stretched destination overflowed.
                  ASSERT_EQ(ScreenOpenWindowed(window, INT32_MAX, INT32_MIN, 320, 240, 1, INT32_MAX,
                                               INT32_MIN),
                            1);
                  int presents = display.Presents();
                  ScreenFlip();
                  EXPECT_EQ(display.Presents(), presents);
                  ASSERT_EQ(ScreenOpenWindowed(window, INT32_MIN, INT32_MAX, 320, 240, 0, 0, 0), 1);
                  ScreenFlip();
                  EXPECT_EQ(display.Presents(), presents);
                }),
            0);
}

TEST(Regression, ACircleOfTheMostNegativeRadiusDrawsNothing) {
  InRuntime([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(2, 20, 20), nullptr);
    // x - radius negated INT32_MIN.
    ASSERT_NE(DrawingStart(SpriteOutput(2)), nullptr);
    DrawCircle(10, 10, INT32_MIN, Rgb(255, 255, 255));
    DrawCircle(INT32_MAX, INT32_MIN, INT32_MAX, Rgb(255, 255, 255));
    DrawingStop();
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(Pixel(2, x, y), 0u);
  });
}

TEST(Regression, ABoxTallerThanTheSurfaceDrawsOnlyItsVisibleRows) {
  InRuntime([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(2, 20, 20), nullptr);
    // The outline's sides were walked row by row over two thousand million
    // rows, nearly all of them outside the sprite.
    ASSERT_NE(DrawingStart(SpriteOutput(2)), nullptr);
    DrawingMode(kDrawingOutline);
    DrawBox(5, -1000000000, 3, 2000000000, Rgb(255, 0, 0));
    DrawingStop();
    for (int y = 0; y < 20; ++y) {
      EXPECT_EQ(Pixel(2, 5, y), 0xFF0000u) << y;
      EXPECT_EQ(Pixel(2, 6, y), 0u) << y;
      EXPECT_EQ(Pixel(2, 7, y), 0xFF0000u) << y;
    }
  });
}

TEST(Regression, AStringVariableCanBeGivenItsOwnText) {
  InRuntime([] {
    // The old block was freed before the text, which lay in it, was copied.
    char* text = nullptr;
    StringAssign(&text, "Spielstand:");
    StringAssign(&text, text);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Spielstand:");
    EXPECT_EQ(HeapSize(RuntimeHeap, 0, text), 12u);
    StringRelease(text);
  });
}

TEST(Regression, DrawingStopsWhenItsSurfaceGoes) {
  InRuntime([] {
    OpenGameScreen();
    // A drawing open on a sprite that was made again, or on the screen that
    // was closed, went on writing pixels into the freed surface memory.
    ASSERT_NE(SpriteCreate(2, 20, 20), nullptr);
    ASSERT_NE(DrawingStart(SpriteOutput(2)), nullptr);
    ASSERT_NE(SpriteCreate(2, 20, 20), nullptr);
    DrawPlot(1, 1, Rgb(255, 255, 255));
    EXPECT_EQ(ReadPoint(1, 1), 0xFFFFFFFFu);  // nothing is open any more
    EXPECT_EQ(Pixel(2, 1, 1), 0u);
    // The sprite can be drawn on again at once.
    ASSERT_NE(DrawingStart(SpriteOutput(2)), nullptr);
    DrawPlot(1, 1, Rgb(255, 255, 255));
    EXPECT_EQ(ReadPoint(1, 1), 0xFFFFFFu);
    DrawingStop();

    ASSERT_NE(DrawingStart(ScreenOutput()), nullptr);
    ScreenClose();
    DrawPlot(1, 1, Rgb(255, 255, 255));
    DrawBox(0, 0, 10, 10, Rgb(255, 255, 255));
    EXPECT_EQ(ReadPoint(1, 1), 0xFFFFFFFFu);
    DrawingStop();

    // A flip closes a drawing left open on the screen, so the next frame's
    // screen output is handed out again.
    ASSERT_EQ(ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0), 1);
    ASSERT_NE(DrawingStart(ScreenOutput()), nullptr);
    ScreenFlip();
    EXPECT_EQ(ReadPoint(1, 1), 0xFFFFFFFFu);
    ASSERT_NE(DrawingStart(ScreenOutput()), nullptr);
    DrawingStop();
  });
}

}  // namespace
