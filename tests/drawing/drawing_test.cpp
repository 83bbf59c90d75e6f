// The drawing library on outputs made over test memory. GDI always draws into
// the 32-bit memory of the output's device context; for 16- and 8-bit outputs
// DrawPlot writes a separate buffer of that depth (the output's `pixels`),
// which GDI reads do not see.
#include "runtime/drawing/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/hosted/internal.h"
#include "runtime/core/core.h"
#include "tests/support/program.h"

namespace {

constexpr uint32_t kFill = 0x00123456;

struct Surface;
Surface* held = nullptr;  // the surface whose device context is handed out

// A producer as the screen and the sprites are: one DrawingOutput, a device
// context held until release.
struct Surface {
  int32_t width, height;
  std::vector<uint32_t> memory;  // what GDI draws into
  std::vector<uint8_t> plotted;  // DrawPlot's memory for 8 and 16 bits
  DrawingOutput output{};
  int releases = 0;

  Surface(int32_t w, int32_t h, uint32_t bits = 32) : width(w), height(h) {
    memory.assign(static_cast<size_t>(w) * h, kFill);
    output.kind = kDrawingOutputSurface;
    output.width = static_cast<uint32_t>(w);
    output.height = static_cast<uint32_t>(h);
    output.bitsPerPixel = bits;
    if (bits == 32) {
      output.pixels = memory.data();
      output.pitch = w * 4;
    } else {
      output.pitch = w * static_cast<int32_t>(bits / 8) + 6;  // rows need not be packed
      plotted.assign(static_cast<size_t>(output.pitch) * h, 0xEE);
      output.pixels = plotted.data();
    }
  }
  ~Surface() {
    if (output.deviceContext) hosted::DeleteMemoryDC(output.deviceContext);
  }
  const DrawingOutput* Output() {
    output.deviceContext = hosted::CreateMemoryDC(memory.data(), width, height, width * 4);
    output.release = [] {
      hosted::DeleteMemoryDC(held->output.deviceContext);
      held->output.deviceContext = nullptr;
      ++held->releases;
    };
    held = this;
    return &output;
  }
  uint32_t At(int x, int y) const { return memory[static_cast<size_t>(y) * width + x]; }
};

// 0x00RRGGBB in memory for a Colour.
uint32_t Pixel(Colour c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// The pixels the text "H" leaves in `ink` on a fresh surface.
int InkCount(const Surface& s, Colour ink) {
  int n = 0;
  for (uint32_t p : s.memory) n += p == Pixel(ink);
  return n;
}

TEST(Drawing, OutlineOnlyBox) {
  RunWithProgram([] {
    Surface s(320, 240);
    ASSERT_NE(DrawingStart(s.Output()), nullptr);
    DrawingMode(kDrawingOutline);
    DrawBox(0, 0, 320, 240, Rgb(255, 0, 0));
    DrawingStop();
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) {
        bool edge = x == 0 || x == 319 || y == 0 || y == 239;
        ASSERT_EQ(s.At(x, y), edge ? 0x00FF0000u : kFill) << x << "," << y;
      }
    EXPECT_EQ(s.releases, 1);
  });
}

TEST(Drawing, EveryStartBeginsInModeZeroWithBlack) {
  RunWithProgram([] {
    Surface a(40, 30), b(40, 30);
    DrawingStart(a.Output());
    DrawingMode(kDrawingOutline | kDrawingInvert | kDrawingTransparentText);
    DrawingColour(255, 255, 255);
    DrawingStop();
    DrawingColour(0, 255, 0);  // no output open: lost

    HDC dc = DrawingStart(b.Output());
    ASSERT_NE(dc, nullptr);
    // The default pen and brush are black; so is the text.
    Rectangle(dc, 20, 10, 24, 14);
    EXPECT_EQ(b.At(20, 10), 0u);
    EXPECT_EQ(b.At(21, 11), 0u);
    TextCursor(0, 14);
    DrawText("H");
    EXPECT_EQ(b.At(2, 14), 0x00FFFFFFu);  // opaque: the DC's white background
    EXPECT_GT(InkCount(b, 0), 16);
    // A box is filled and painted, not inverted, with its own colour.
    DrawBox(10, 0, 3, 20, Rgb(0, 0, 0));
    for (int y = 0; y < 30; ++y)
      for (int x = 9; x < 14; ++x)
        EXPECT_EQ(b.At(x, y) == 0, x >= 10 && x <= 12 && y < 20) << x << "," << y;
    DrawBox(30, 0, 3, 20, Rgb(0, 200, 0));
    EXPECT_EQ(b.At(31, 5), Pixel(Rgb(0, 200, 0)));
    DrawingStop();
  });
}

TEST(Drawing, ColourCarriesToTextAndHollowBrushStays) {
  RunWithProgram([] {
    Surface s(64, 40);
    HDC dc = DrawingStart(s.Output());
    DrawBox(0, 0, 2, 2, Rgb(200, 10, 20));
    TextCursor(8, 0);
    DrawText("H");
    int red = InkCount(s, Rgb(200, 10, 20));
    EXPECT_GT(red, 4 + 16);  // the box and the glyph
    DrawCircle(30, 30, 3, Rgb(1, 2, 3));
    DrawText("H");
    EXPECT_GT(InkCount(s, Rgb(1, 2, 3)), 16);
    EXPECT_EQ(InkCount(s, Rgb(200, 10, 20)), red);

    // Components are added without masking: 256 red is 1 green.
    DrawingColour(256, 0, 0);
    DrawText("H");
    EXPECT_GT(InkCount(s, Rgb(0, 1, 0)), 16);

    // Outline-only, then a colour (no brush is made), then mode 1: the
    // hollow brush stays selected, text is white without background.
    DrawingStop();
    Surface t(64, 40);
    dc = DrawingStart(t.Output());
    DrawingMode(kDrawingOutline);
    DrawingColour(255, 255, 255);
    DrawingMode(kDrawingTransparentText);
    Rectangle(dc, 0, 0, 6, 6);
    EXPECT_EQ(t.At(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(t.At(2, 2), kFill);
    TextCursor(10, 0);
    DrawText("H");
    EXPECT_GT(InkCount(t, Rgb(255, 255, 255)), 20 + 16);
    for (uint32_t p : t.memory) ASSERT_TRUE(p == kFill || p == 0x00FFFFFF);
    // A box sets its colour, and with it a brush, first.
    DrawBox(30, 10, 4, 4, Rgb(0, 0, 255));
    EXPECT_EQ(t.At(31, 11), 0x000000FFu);
    DrawingStop();
  });
}

TEST(Drawing, TextCursorAndConsecutiveTexts) {
  RunWithProgram([] {
    Surface one(80, 20), two(80, 20);
    HDC dc = DrawingStart(one.Output());
    TextCursor(5, 2);
    DrawText("ab");
    POINT after{};
    GetCurrentPositionEx(dc, &after);
    EXPECT_GT(after.x, 5);
    EXPECT_EQ(after.y, 2);
    DrawText("cd");
    POINT end{};
    GetCurrentPositionEx(dc, &end);
    EXPECT_EQ(end.x - after.x, after.x - 5);
    DrawText("");  // nothing, cursor stays
    DrawText(nullptr);
    GetCurrentPositionEx(dc, &after);
    EXPECT_EQ(after.x, end.x);
    DrawingStop();
    DrawingStart(two.Output());
    TextCursor(5, 2);
    DrawText("abcd");
    DrawingStop();
    EXPECT_EQ(one.memory, two.memory);
  });
}

TEST(Drawing, CircleBoundingBox) {
  RunWithProgram([] {
    Surface s(24, 24);
    DrawingStart(s.Output());
    DrawCircle(12, 12, 0, Rgb(9, 9, 9));  // the empty box (12, 12, 12, 12)
    for (uint32_t p : s.memory) ASSERT_EQ(p, kFill);
    DrawCircle(12, 12, 10, Rgb(9, 9, 9));
    int left = 99, right = -1, top = 99, bottom = -1;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        if (s.At(x, y) != kFill) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_EQ(left, 2);
    EXPECT_EQ(right, 21);
    EXPECT_EQ(top, 2);
    EXPECT_EQ(bottom, 21);
    EXPECT_EQ(s.At(12, 12), Pixel(Rgb(9, 9, 9)));  // filled
    DrawingStop();
  });
}

TEST(Drawing, PlotAndReadBack) {
  RunWithProgram([] {
    // 32 bits: straight into memory as 0x00RRGGBB, whatever the mix mode, and
    // read back unchanged; outside the output nothing happens.
    Surface s(8, 4);
    DrawingStart(s.Output());
    DrawingMode(kDrawingInvert);
    DrawPlot(3, 2, Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(s.At(3, 2), 0x00123456u);
    EXPECT_EQ(ReadPoint(3, 2), Rgb(0x12, 0x34, 0x56));
    std::vector<uint32_t> before = s.memory;
    const std::pair<int32_t, int32_t> outside[] = {
        {-1, 0}, {8, 0}, {0, -1}, {0, 4}, {INT32_MIN, INT32_MAX}};
    for (auto [x, y] : outside) DrawPlot(x, y, 0);
    EXPECT_EQ(s.memory, before);
    EXPECT_EQ(ReadPoint(8, 0), 0xFFFFFFFFu);
    EXPECT_EQ(ReadPoint(-1, 0), 0xFFFFFFFFu);
    DrawingStop();

    // 16 bits: 5-6-5, the top bits of each component; the word reads back as
    // the colour with its low bits cleared.
    Surface w(8, 4, 16);
    DrawingStart(w.Output());
    Colour c = Rgb(0xFF, 0x86, 0x1C);
    DrawPlot(2, 1, c);
    DrawPlot(8, 0, c);  // outside: ignored
    DrawingStop();
    uint16_t word = 0;
    std::memcpy(&word, &w.plotted[1 * w.output.pitch + 2 * 2], 2);
    EXPECT_EQ(word, 0xFC23);
    Colour back = Rgb((word >> 11) << 3, ((word >> 5) & 0x3F) << 2, (word & 0x1F) << 3);
    EXPECT_EQ(back, c & 0x00F8FCF8u);
    size_t changed = 0;
    for (uint8_t b : w.plotted) changed += b != 0xEE;
    EXPECT_EQ(changed, 2u);
    for (uint32_t p : w.memory) EXPECT_EQ(p, kFill);  // no GDI call was made

    // 8 bits: the red component as a palette index.
    Surface b(8, 4, 8);
    DrawingStart(b.Output());
    DrawPlot(7, 3, Rgb(0x42, 0x99, 0x99));
    DrawingStop();
    EXPECT_EQ(b.plotted[3 * b.output.pitch + 7], 0x42);

    // 24 bits and other kinds: through SetPixelV, into the DC's memory.
    Surface deep(8, 4, 24);
    DrawingStart(deep.Output());
    DrawPlot(1, 1, Rgb(1, 2, 3));
    EXPECT_EQ(ReadPoint(1, 1), Rgb(1, 2, 3));
    DrawingStop();
    for (uint8_t v : deep.plotted) EXPECT_EQ(v, 0xEE);
    Surface window(8, 4);
    window.output.kind = 0;
    DrawingStart(window.Output());
    DrawPlot(2, 2, Rgb(7, 8, 9));
    EXPECT_EQ(window.At(2, 2), 0x00070809u);
    DrawingStop();
  });
}

TEST(Drawing, NothingHappensWithoutAnOpenOutput) {
  RunWithProgram([] {
    DrawingMode(kDrawingInvert);
    DrawingColour(1, 2, 3);
    DrawBox(0, 0, 5, 5, 0);
    DrawCircle(5, 5, 5, 0);
    DrawPlot(0, 0, 0);
    TextCursor(1, 1);
    DrawText("x");
    EXPECT_EQ(ReadPoint(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(ReadPoint(0, 0) & 0xFF, 255u);
    DrawingStop();

    // DrawingStart(none) closes what is open, once, and opens nothing.
    Surface s(8, 8);
    DrawingStart(s.Output());
    EXPECT_EQ(DrawingStart(nullptr), nullptr);
    EXPECT_EQ(s.releases, 1);
    DrawingStop();
    EXPECT_EQ(s.releases, 1);
    DrawPlot(1, 1, 0);
    EXPECT_EQ(ReadPoint(1, 1), 0xFFFFFFFFu);
    // An output without a device context opens nothing either.
    Surface empty(8, 8);
    empty.output.deviceContext = nullptr;
    empty.output.release = nullptr;
    EXPECT_EQ(DrawingStart(&empty.output), nullptr);
    DrawPlot(1, 1, 0);
    EXPECT_EQ(empty.At(1, 1), kFill);
    DrawingStop();
  });
}

TEST(Drawing, StopPutsTheDeviceContextBackAndDeletesItsObjects) {
  RunWithProgram([] {
    Surface s(16, 24);
    const DrawingOutput* output = s.Output();
    HDC dc = output->deviceContext;
    s.output.release = [] { ++held->releases; };  // keep the DC to look at it
    HBRUSH before = CreateSolidBrush(RGB(1, 1, 1));
    SelectObject(dc, before);
    DrawingStart(output);
    DrawingColour(10, 20, 30);
    DrawingColour(40, 50, 60);  // replaces the first pair
    HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, brush);
    DrawingStop();
    EXPECT_EQ(s.releases, 1);
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), before);
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(brush));  // already deleted by DrawingStop
    SelectObject(dc, before);

    // The same device context again: the black defaults and black text are
    // selected anew over whatever it holds.
    SetTextColor(dc, RGB(255, 255, 255));
    DrawingStart(output);
    Rectangle(dc, 10, 0, 13, 3);
    EXPECT_EQ(s.At(11, 1), 0u);
    TextCursor(0, 4);
    DrawText("H");
    EXPECT_GT(InkCount(s, 0), 8 + 16);
    DrawingStop();
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(before));
  });
}

}  // namespace
