// What the runtime does with numbers, coordinates and texts outside those the
// game passes, where no library's own tests already say it (the table in
// docs/robustness.md names the test of every case).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/hosted/internal.h"
#include "runtime/core/core.h"
#include "runtime/drawing/drawing.h"
#include "runtime/list/list.h"
#include "runtime/screen/screen.h"
#include "runtime/window/window.h"
#include "tests/robustness/support.h"
#include "tests/support/program.h"

namespace {

TEST(Robustness, StringsOutsideTheProtocol) {
  headless::HeadlessDisplay display;
  EXPECT_EQ(RunWithProgram(display,
                           [&] {
                             // No destination: nothing written, none returned.
                             char* before = StringWorkPosition;
                             EXPECT_EQ(FormatInt(42, nullptr), nullptr);
                             EXPECT_EQ(StringWorkPosition, before);
                             // A mark that is none, or lies past the position, stores an empty
                             // text.
                             StringAppend("abc");
                             char* text = nullptr;
                             StringStoreExpression(&text, nullptr);
                             ASSERT_NE(text, nullptr);
                             EXPECT_STREQ(text, "");
                             StringAppend("def");
                             StringStoreExpression(&text, StringWorkPosition + 10);
                             EXPECT_STREQ(text, "");
                             StringStoreExpression(nullptr, before);  // no variable: ignored
                             StringAssign(nullptr, "x");
                             StringWorkPosition = before;
                             // A position outside the work area is the caller's own buffer.
                             char buffer[16] = {};
                             StringWorkPosition = buffer;
                             StringAppend("own");
                             FormatInt(-7, StringWorkPosition);
                             EXPECT_STREQ(buffer, "own-7");
                             EXPECT_EQ(StringWorkPosition, buffer + 5);
                             StringWorkPosition = before;
                             // A message box without title or text shows the platform's defaults.
                             EXPECT_EQ(ShowMessage(nullptr, nullptr, 0xFFFFFFFF), IDOK);
                             ASSERT_EQ(display.MessageBoxes().size(), 1u);
                             EXPECT_EQ(display.MessageBoxes()[0].title, "Error");
                             EXPECT_EQ(display.MessageBoxes()[0].text, "");
                             EXPECT_EQ(display.MessageBoxes()[0].flags, 0xFFFFFFFFu);
                             // Any delay goes to the platform as it is.
                             const int64_t counter = display.Counter();
                             SleepMs(0);
                             EXPECT_EQ(display.Counter(), counter);
                             SleepMs(UINT32_MAX);
                             EXPECT_EQ(display.Counter(), counter + int64_t{UINT32_MAX} * 10000);
                           }),
            0);
}

TEST(Robustness, AStringWithoutMemoryEndsTheProgram) {
  for (bool store : {false, true}) {
    headless::HeadlessDisplay display;
    bool after = false;
    EXPECT_EQ(RunWithProgram(display,
                             [&] {
                               char* text = nullptr;
                               display.FailHeapAllocFrom(0);
                               if (store) {
                                 char* mark = StringWorkPosition;
                                 StringAppend("Player ");
                                 StringStoreExpression(&text, mark);
                               } else {
                                 StringAssign(&text, "Spielstand:");
                               }
                               after = true;
                             }),
              0);
    EXPECT_FALSE(after) << store;
  }
}

TEST(Robustness, AListWithoutMemoryAddsNothing) {
  headless::HeadlessDisplay display;
  EXPECT_EQ(RunWithProgram(display,
                           [&] {
                             List list{};
                             ASSERT_NE(ListNew(&list, 8), nullptr);
                             ListElement* first = ListAdd(&list);
                             ASSERT_NE(first, nullptr);
                             display.FailHeapAllocFrom(0);
                             EXPECT_EQ(ListAdd(&list), nullptr);
                             EXPECT_EQ(list.current, first);
                             EXPECT_EQ(ListCount(&list), 1);
                             List other{};
                             EXPECT_EQ(ListNew(&other, 8), nullptr);
                             EXPECT_EQ(ListAdd(&other), nullptr);
                             display.ClearFailures();
                             EXPECT_NE(ListAdd(&list), nullptr);
                             EXPECT_EQ(ListCount(&list), 2);
                             EXPECT_EQ(ListNew(nullptr, 8), nullptr);
                             EXPECT_EQ(ListSelect(nullptr, 3), nullptr);
                             EXPECT_EQ(ListCount(nullptr), 0);
                           }),
            0);
}

TEST(Robustness, WindowsOfAnySizeFlagsAndTitle) {
  InRuntime([] {
    // A negative client size makes a window of no size; no title is empty.
    HWND none = WindowOpen(3, 10, 20, -50, -60, kWindowPopup, nullptr);
    ASSERT_NE(none, nullptr);
    hosted::WindowInfo info = hosted::InspectWindow(none);
    EXPECT_EQ(info.rect.right - info.rect.left, 0);
    EXPECT_EQ(info.rect.bottom - info.rect.top, 0);
    EXPECT_STREQ(info.title, "");
    // Style bits other than the four the library reads go to the platform.
    HWND styled = WindowOpen(4, 0, 0, 10, 10, kWindowPopup | WS_BORDER | 0x00000100, "s");
    ASSERT_NE(styled, nullptr);
    EXPECT_EQ(hosted::InspectWindow(styled).style,
              0x80000000u | WS_VISIBLE | WS_BORDER | 0x00000100u);
    // Centred on the screen a window larger than it gets negative coordinates.
    HWND big = WindowOpen(5, 0, 0, 3000, 2000, kWindowCentredPopup, "");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(hosted::InspectWindow(big).rect.left, 512 - 1500);
    EXPECT_EQ(hosted::InspectWindow(big).rect.top, 384 - 1000);
  });
}

TEST(Robustness, ScreensOfBadSizesAndRates) {
  headless::HeadlessDisplay display;
  EXPECT_EQ(
      RunWithProgram(display,
                     [&] {
                       ASSERT_NE(ScreenInit(), 0);
                       HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
                       for (int32_t side : {0, -1, 32768, INT32_MIN}) {
                         EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, side, 240, 0, 0, 0), 0) << side;
                         EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, side, 0, 0, 0), 0) << side;
                         EXPECT_EQ(ScreenInspect().windowed, 0);
                         EXPECT_EQ(ScreenInspect().backBuffer, nullptr);
                       }
                       // Too big for memory (over 512 MiB): refused the same way.
                       EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 32767, 32767, 0, 0, 0), 0);
                       EXPECT_EQ(ScreenFlip(), nullptr);
                       EXPECT_EQ(ScreenOutput(), nullptr);
                       EXPECT_EQ(ScreenClear(0, 0, 0), DDERR_INVALIDOBJECT);
                       // The largest rate has a period of 0 ticks: a flip waits for one reading.
                       ASSERT_EQ(ScreenSetFrameRate(INT32_MAX), 1);
                       EXPECT_EQ(ScreenInspect().framePeriod, 0);
                       ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
                       ScreenFlip();
                       const int64_t counter = display.Counter();
                       ScreenFlip();
                       EXPECT_EQ(display.Counter(), counter + 1000);
                     }),
      0);
}

TEST(Robustness, SpritesOfBadSizesAndFarPositions) {
  InRuntime([] {
    OpenGameScreen();
    // A bad size still releases the sprite the slot held.
    ASSERT_NE(SpriteCreate(2, 8, 8), nullptr);
    EXPECT_EQ(SpriteCreate(2, 0, 8), nullptr);
    EXPECT_EQ(SpriteRecordAt(2)->surface, nullptr);
    // Over 512 MiB of pixels: refused by the platform.
    EXPECT_EQ(SpriteCreate(2, 32767, 32767), nullptr);
    // Copies onto a sprite from far outside draw nothing.
    ASSERT_NE(SpriteCreate(3, 10, 10), nullptr);
    ASSERT_NE(SpriteCreate(4, 10, 10), nullptr);
    ScreenClear(255, 255, 255);
    SpriteTarget(3);
    ScreenClear(255, 255, 255);
    for (int32_t far : {INT32_MIN, INT32_MIN + 5, -10, 10, INT32_MAX - 5, INT32_MAX}) {
      SpriteDisplay(4, far, 0);
      SpriteDisplay(4, 0, far);
      SpriteDisplayKeyed(4, far, far);
    }
    SpriteTarget(-1);
    EXPECT_EQ(Count(3, 0xFFFFFF), 100);
  });
}

TEST(Robustness, BoxesAndCirclesOfAnySize) {
  InRuntime([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(2, 20, 20), nullptr);
    const Colour red = Rgb(255, 0, 0);
    ASSERT_NE(DrawingStart(SpriteOutput(2)), nullptr);
    // A negative width or height swaps the corners, as GDI does.
    DrawBox(10, 10, -4, -3, red);
    EXPECT_EQ(Count(2, 0xFF0000), 12);
    EXPECT_EQ(Pixel(2, 6, 7), 0xFF0000u);
    EXPECT_EQ(Pixel(2, 9, 9), 0xFF0000u);
    EXPECT_EQ(Pixel(2, 10, 10), 0u);
    // No width or no height: nothing.
    DrawBox(0, 0, 0, 20, red);
    DrawBox(0, 0, 20, 0, red);
    EXPECT_EQ(Count(2, 0xFF0000), 12);
    // The colour's top byte is not part of it.
    DrawBox(0, 15, 2, 2, 0xFF00FF00);
    EXPECT_EQ(Pixel(2, 0, 15), 0x00FF00u);
    // Wholly outside: nothing.
    DrawBox(INT32_MAX - 10, 0, 5, 5, red);
    DrawBox(-100, -100, 50, 50, red);
    EXPECT_EQ(Count(2, 0xFF0000), 12);
    // Corners wrap round as 32-bit coordinates do: this right edge comes out
    // at the far left, and the swapped box spans every column of rows 0-1.
    DrawBox(INT32_MAX, 0, 2, 2, red);
    EXPECT_EQ(Count(2, 0xFF0000), 12 + 40);
    DrawingStop();

    ASSERT_NE(SpriteCreate(3, 20, 20), nullptr);
    ASSERT_NE(SpriteCreate(4, 20, 20), nullptr);
    ASSERT_NE(DrawingStart(SpriteOutput(3)), nullptr);
    DrawCircle(10, 10, 6, red);
    DrawingStop();
    ASSERT_NE(DrawingStart(SpriteOutput(4)), nullptr);
    // A negative radius is the same circle; a box wider than 65536 pixels is
    // not drawn at all.
    DrawCircle(10, 10, -6, red);
    DrawCircle(10, 10, 40000, Rgb(0, 0, 255));
    DrawingStop();
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(Pixel(3, x, y), Pixel(4, x, y)) << x << ", " << y;
    EXPECT_GT(Count(4, 0xFF0000), 100);
    EXPECT_EQ(Count(4, 0x0000FF), 0);
  });
}

TEST(Robustness, ModesTextAndCursorOutsideTheGamesValues) {
  InRuntime([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(2, 40, 20), nullptr);
    HDC dc = DrawingStart(SpriteOutput(2));
    ASSERT_NE(dc, nullptr);
    // Bits other than 1, 2 and 4 are kept and do nothing: mode 8 fills and
    // paints like mode 0.
    DrawingMode(8 | static_cast<int32_t>(0x80000000));
    DrawBox(0, 0, 2, 2, Rgb(0, 255, 0));
    EXPECT_EQ(Pixel(2, 0, 0), 0x00FF00u);
    DrawBox(0, 0, 2, 2, Rgb(0, 255, 0));
    EXPECT_EQ(Pixel(2, 0, 0), 0x00FF00u);  // painted, not inverted
    // A long text is drawn up to the edge; the cursor moves by its whole
    // width, wrapping as 32-bit coordinates do.
    std::string line(100000, 'W');
    TextCursor(0, 2);
    DrawText(line.c_str());
    POINT at;
    ASSERT_TRUE(GetCurrentPositionEx(dc, &at));
    EXPECT_EQ(at.x, 800000);
    EXPECT_EQ(at.y, 2);
    TextCursor(INT32_MAX - 3, INT32_MIN);
    DrawText("ab");
    ASSERT_TRUE(GetCurrentPositionEx(dc, &at));
    EXPECT_EQ(at.x, INT32_MIN + 12);
    EXPECT_EQ(at.y, INT32_MIN);
    // Bytes outside printable ASCII get a box glyph; text starting left of
    // the output shows only its visible part.
    DrawingStop();
    ASSERT_NE(SpriteCreate(3, 8, 16), nullptr);
    ASSERT_NE(DrawingStart(SpriteOutput(3)), nullptr);
    DrawingMode(kDrawingTransparentText);
    DrawingColour(255, 255, 255);
    TextCursor(-8, 0);
    DrawText("\x7F\x01");
    DrawingStop();
    EXPECT_GT(Count(3, 0xFFFFFF), 10);
  });
}

}  // namespace
