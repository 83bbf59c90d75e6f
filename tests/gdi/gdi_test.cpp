// The hosted GDI at the pixel level, on device contexts over test memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"
#include "tests/gdi/ball_rings.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kGuard = 0x00ABCDEF;  // memory right of the DC's width

// Pixel memory with two guard columns per row beyond the DC's width, so that
// a write past the edge shows.
struct Canvas {
  int width, height, stride;
  std::vector<uint32_t> memory;
  HDC dc;

  Canvas(int w, int h, uint32_t fill = kWhite) : width(w), height(h), stride(w + 2) {
    memory.assign(static_cast<size_t>(stride) * h, fill);
    for (int y = 0; y < h; ++y) memory[y * stride + w] = memory[y * stride + w + 1] = kGuard;
    dc = hosted::CreateMemoryDC(memory.data(), w, h, stride * 4);
  }
  ~Canvas() { hosted::DeleteMemoryDC(dc); }
  uint32_t At(int x, int y) const { return memory[y * stride + x]; }
  bool GuardsIntact() const {
    for (int y = 0; y < height; ++y)
      if (At(width, y) != kGuard || At(width + 1, y) != kGuard) return false;
    return true;
  }
  // '.' for white, '#' for black, 'o' for `other`, '?' for anything else.
  std::vector<std::string> Picture(uint32_t other = 0x00FF0000) const {
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
      std::string row;
      for (int x = 0; x < width; ++x) {
        uint32_t p = At(x, y);
        row += p == kWhite ? '.' : p == 0 ? '#' : p == other ? 'o' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }
};

// Every test runs as a process of its own, so the GDI starts empty.
template <typename F>
void InProcess(F body) {
  headless::HeadlessDisplay display;
  hosted::RunProcess(display, body, &display);
}

TEST(Gdi, FreshDeviceContextAndColourLayout) {
  InProcess([] {
    Canvas canvas(8, 6);
    HDC dc = canvas.dc;
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 8);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 6);
    // A fresh DC: copy mix, opaque white background, black text, no
    // alignment flags, black pen, white brush.
    EXPECT_EQ(SetROP2(dc, R2_COPYPEN), R2_COPYPEN);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), OPAQUE);
    EXPECT_EQ(SetBkColor(dc, RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(SetTextColor(dc, 0), 0u);
    EXPECT_EQ(SetTextAlign(dc, 0), 0u);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), GetStockObject(WHITE_BRUSH));

    // COLORREF is 0x00BBGGRR, the memory 0x00RRGGBB.
    EXPECT_TRUE(SetPixelV(dc, 2, 1, RGB(0x12, 0x34, 0x56)));
    EXPECT_EQ(canvas.At(2, 1), 0x00123456u);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56));
    canvas.memory[3] = 0xFF00FF00;  // the top byte of memory is not colour
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(0, 255, 0));
    // Outside the memory nothing is written and nothing can be read.
    EXPECT_FALSE(SetPixelV(dc, 8, 0, 0));
    EXPECT_FALSE(SetPixelV(dc, -1, 0, 0));
    EXPECT_FALSE(SetPixelV(dc, 0, 6, 0));
    EXPECT_EQ(GetPixel(dc, 8, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, -1), CLR_INVALID);
    EXPECT_TRUE(canvas.GuardsIntact());
  });
}

TEST(Gdi, RectangleCoverage) {
  InProcess([] {
    Canvas canvas(8, 6);
    HDC dc = canvas.dc;
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    // Right and bottom edges excluded, one-pixel outline, fill inside; the
    // corners may come in either order.
    EXPECT_TRUE(Rectangle(dc, 6, 5, 1, 1));
    std::vector<std::string> box = {"........", ".#####..", ".#ooo#..",
                                    ".#ooo#..", ".#####..", "........"};
    EXPECT_EQ(canvas.Picture(), box);

    // No brush: the outline only. No pen: the fill is a pixel smaller.
    Canvas hollow(8, 6);
    SelectObject(hollow.dc, GetStockObject(NULL_BRUSH));
    Rectangle(hollow.dc, 1, 1, 6, 5);
    EXPECT_EQ(hollow.Picture()[2], ".#...#..");
    Canvas penless(8, 6);
    SelectObject(penless.dc, GetStockObject(NULL_PEN));
    SelectObject(penless.dc, brush);
    Rectangle(penless.dc, 1, 1, 6, 5);
    std::vector<std::string> smaller = {"........", ".oooo...", ".oooo...",
                                        ".oooo...", "........", "........"};
    EXPECT_EQ(penless.Picture(), smaller);

    // Thin figures: empty boxes and 1 x 1 draw nothing, one pixel wide ones a line.
    Canvas thin(8, 6);
    SelectObject(thin.dc, brush);
    Rectangle(thin.dc, 1, 1, 1, 5);
    Rectangle(thin.dc, 1, 1, 2, 2);
    Rectangle(thin.dc, 3, 1, 4, 5);
    Rectangle(thin.dc, 5, 1, 7, 3);
    std::vector<std::string> lines = {"........", "...#.##.", "...#.##.",
                                      "...#....", "...#....", "........"};
    EXPECT_EQ(thin.Picture(), lines);

    // Clipped at every edge, nothing written past the memory.
    Canvas clipped(8, 6);
    EXPECT_TRUE(Rectangle(clipped.dc, -3, -3, 100, 100));
    EXPECT_EQ(clipped.At(0, 0), kWhite);
    EXPECT_TRUE(clipped.GuardsIntact());
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
  });
}

TEST(Gdi, MixModes) {
  InProcess([] {
    Canvas canvas(8, 4, 0x00102030);
    HDC dc = canvas.dc;
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    // R2_NOT inverts each covered pixel once, whatever the pen and brush.
    EXPECT_EQ(SetROP2(dc, R2_NOT), R2_COPYPEN);
    Rectangle(dc, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) EXPECT_EQ(canvas.At(x, y), x < 4 ? 0x00EFDFCFu : 0x00102030u);
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(canvas.At(0, 0), 0x00102030u);
    EXPECT_EQ(canvas.At(1, 1), 0x00102030u);
    // SetPixelV is not mixed.
    SetPixelV(dc, 5, 0, RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(5, 0), 0x00010203u);
    SetROP2(dc, R2_WHITE);
    Rectangle(dc, 4, 0, 6, 2);
    EXPECT_EQ(canvas.At(5, 1), kWhite);
    SetROP2(dc, R2_BLACK);
    Rectangle(dc, 6, 0, 8, 2);
    EXPECT_EQ(canvas.At(7, 1), 0u);
    // Unknown modes are refused and change nothing.
    EXPECT_EQ(SetROP2(dc, 0), 0);
    EXPECT_EQ(SetROP2(dc, 17), 0);
    EXPECT_EQ(SetROP2(dc, R2_COPYPEN), R2_BLACK);

    // An inverted ellipse: its fill covers the outline too, so the outline is
    // inverted twice and only the inside changes.
    Canvas round(10, 10);
    SetROP2(round.dc, R2_NOT);
    Ellipse(round.dc, 1, 1, 9, 9);
    std::vector<std::string> ring = {"..........", "..........", "...####...", "..######..",
                                     "..######..", "..######..", "..######..", "...####...",
                                     "..........", ".........."};
    EXPECT_EQ(round.Picture(), ring);
  });
}

TEST(Gdi, EllipseStaysInItsBoxAndIsSymmetric) {
  InProcess([] {
    for (int w = 0; w <= 24; ++w) {
      for (int h = 0; h <= 24; ++h) {
        Canvas canvas(28, 28);
        SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
        ASSERT_TRUE(Ellipse(canvas.dc, 2 + w, 2 + h, 2, 2));  // corners swapped on purpose
        int left = 99, right = -1, top = 99, bottom = -1;
        auto inked = [&](int x, int y) { return canvas.At(x, y) != kWhite; };
        for (int y = 0; y < 28; ++y)
          for (int x = 0; x < 28; ++x) {
            if (!inked(x, y)) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
            // Mirror images across both axes of the box.
            ASSERT_TRUE(inked(2 + w - 1 - (x - 2), y)) << w << "x" << h;
            ASSERT_TRUE(inked(x, 2 + h - 1 - (y - 2))) << w << "x" << h;
          }
        if (w == 0 || h == 0 || (w == 1 && h == 1)) {
          EXPECT_EQ(right, -1) << w << "x" << h;
          continue;
        }
        // Touches all four sides of its box, never leaves it.
        EXPECT_EQ(left, 2) << w << "x" << h;
        EXPECT_EQ(right, 2 + w - 1) << w << "x" << h;
        EXPECT_EQ(top, 2) << w << "x" << h;
        EXPECT_EQ(bottom, 2 + h - 1) << w << "x" << h;
      }
    }
    // Boxes of two pixels are drawn as rectangles; three is a plus.
    Canvas small(8, 4);
    Ellipse(small.dc, 0, 0, 2, 2);
    Ellipse(small.dc, 3, 0, 6, 3);
    std::vector<std::string> tiny = {"##..#...", "##.#.#..", "....#...", "........"};
    EXPECT_EQ(small.Picture(), tiny);
    // Without a pen the brush fills the same disc.
    Canvas outlined(12, 12), filled(12, 12);
    SelectObject(outlined.dc, GetStockObject(BLACK_BRUSH));
    Ellipse(outlined.dc, 1, 1, 11, 10);
    SelectObject(filled.dc, GetStockObject(NULL_PEN));
    SelectObject(filled.dc, GetStockObject(BLACK_BRUSH));
    Ellipse(filled.dc, 1, 1, 11, 10);
    EXPECT_EQ(filled.Picture(), outlined.Picture());
    // Huge boxes are clipped; absurd ones are refused, not walked.
    Canvas big(16, 16);
    SelectObject(big.dc, GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(Ellipse(big.dc, -30000, -30000, 30000, 30000));
    EXPECT_EQ(big.At(0, 0), 0u);
    EXPECT_TRUE(big.GuardsIntact());
    EXPECT_FALSE(Ellipse(big.dc, -2000000000, 0, 2000000000, 10));
  });
}

TEST(Gdi, BallRingsAsTheRealPlatformDrawsThem) {
  // Taken from the real platform's rasteriser for the same calls.
  const std::vector<std::string> expected = {
      ".......AAAAAA.......", ".....AA999999AA.....", "....A9988888899A....",
      "...A998877778899A...", "..A98877666677889A..", ".A9987665555667899A.",
      ".A9876654444566789A.", "A988765443344567889A", "A987654432234456789A",
      "A987654321123456789A", "A987654321123456789A", "A987654432234456789A",
      "A988765443344567889A", ".A9876654444566789A.", ".A9987665555667899A.",
      "..A98877666677889A..", "...A998877778899A...", "....A9988888899A....",
      ".....AA999999AA.....", ".......AAAAAA......."};
  InProcess([&] { EXPECT_EQ(HostedBallRings(), expected); });
}

TEST(Gdi, ObjectsAndSelection) {
  InProcess([] {
    Canvas canvas(4, 4);
    HDC dc = canvas.dc;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    LOGBRUSH hollow{BS_NULL, 0, 0};
    HBRUSH none = CreateBrushIndirect(&hollow);
    ASSERT_NE(pen, nullptr);
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(none, nullptr);
    // SelectObject answers the previous object of the same kind.
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, none), brush);
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
    // A selected object is not deleted; once deselected it is.
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(dc, pen), nullptr);  // gone
    EXPECT_TRUE(DeleteObject(brush));
    // Stock objects survive deletion.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_NE(SelectObject(dc, GetStockObject(BLACK_BRUSH)), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);
    LOGBRUSH hatched{2, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
    EXPECT_EQ(CreatePen(99, 0, 0), nullptr);
    EXPECT_EQ(SelectObject(dc, dc), nullptr);  // a DC is not selectable
    EXPECT_FALSE(DeleteObject(dc));            // nor deleted as an object
    EXPECT_EQ(hosted::CreateMemoryDC(nullptr, 4, 4, 16), nullptr);
    EXPECT_EQ(hosted::CreateMemoryDC(canvas.memory.data(), 0, 4, 16), nullptr);
    EXPECT_EQ(hosted::CreateMemoryDC(canvas.memory.data(), 4, 4, 12), nullptr);
  });
}

TEST(Gdi, BadHandlesFailAsDocumented) {
  InProcess([] {
    std::vector<uint32_t> memory(16, kWhite);
    HDC gone = hosted::CreateMemoryDC(memory.data(), 4, 4, 16);
    hosted::DeleteMemoryDC(gone);
    HDC made = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x12345678));
    for (HDC dc : {static_cast<HDC>(nullptr), gone, made}) {
      POINT p{};
      EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
      EXPECT_FALSE(Rectangle(dc, 0, 0, 2, 2));
      EXPECT_FALSE(Ellipse(dc, 0, 0, 4, 4));
      EXPECT_FALSE(SetPixelV(dc, 0, 0, 0));
      EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
      EXPECT_FALSE(MoveToEx(dc, 1, 1, &p));
      EXPECT_FALSE(GetCurrentPositionEx(dc, &p));
      EXPECT_FALSE(TextOutA(dc, 0, 0, "x", 1));
      EXPECT_EQ(SetTextAlign(dc, TA_UPDATECP), 0xFFFFFFFFu);
      EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
      EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);
      EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
      EXPECT_EQ(SetROP2(dc, R2_NOT), 0);
      EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 0);
    }
    for (uint32_t p : memory) EXPECT_EQ(p, kWhite);
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(made));
  });
}

// Ink of the cells drawn at (x, y): '#' for text colour, '.' otherwise.
std::string InkOf(const Canvas& canvas, uint32_t ink, int x, int y, int w, int h) {
  std::string out;
  for (int row = y; row < y + h; ++row)
    for (int column = x; column < x + w; ++column) out += canvas.At(column, row) == ink ? '#' : '.';
  return out;
}

TEST(Gdi, TextAndTheCurrentPosition) {
  InProcess([] {
    Canvas canvas(64, 40, 0x00336699);
    HDC dc = canvas.dc;
    // Opaque: the whole 8 x 16 cell is painted, glyph pixels in the text colour.
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 0, 255));
    EXPECT_TRUE(TextOutA(dc, 3, 2, "Hi", 2));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 64; ++x) {
        uint32_t p = canvas.At(x, y);
        bool inCells = x >= 3 && x < 19 && y >= 2 && y < 18;
        if (inCells) {
          EXPECT_TRUE(p == 0x00FF0000 || p == 0x000000FF) << x << "," << y;
        } else {
          EXPECT_EQ(p, 0x00336699u) << x << "," << y;
        }
      }
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 0);  // without TA_UPDATECP the position stays
    std::string hi = InkOf(canvas, 0x00FF0000, 3, 2, 16, 16);

    // TA_UPDATECP: (x, y) are ignored, the text starts at the current position,
    // and the position moves right by the text's width; transparent leaves the
    // background alone. Two calls write one line.
    Canvas line(64, 40, 0x00336699);
    SetTextAlign(line.dc, TA_UPDATECP);
    SetTextColor(line.dc, RGB(255, 0, 0));
    SetBkMode(line.dc, TRANSPARENT);
    POINT old{};
    MoveToEx(line.dc, 3, 2, &old);
    EXPECT_EQ(old.x, 0);
    EXPECT_TRUE(TextOutA(line.dc, 50, 30, "H", 1));
    EXPECT_TRUE(TextOutA(line.dc, 50, 30, "i", 1));
    GetCurrentPositionEx(line.dc, &position);
    EXPECT_EQ(position.x, 3 + 16);
    EXPECT_EQ(position.y, 2);
    EXPECT_EQ(InkOf(line, 0x00FF0000, 3, 2, 16, 16), hi);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 64; ++x)
        ASSERT_TRUE(line.At(x, y) == 0x00FF0000 || line.At(x, y) == 0x00336699) << x << "," << y;
    // Nothing to draw, or nothing valid to draw.
    EXPECT_TRUE(TextOutA(line.dc, 0, 0, "", 0));
    EXPECT_TRUE(TextOutA(line.dc, 0, 0, nullptr, 0));
    EXPECT_FALSE(TextOutA(line.dc, 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(line.dc, 0, 0, "abc", -1));
    GetCurrentPositionEx(line.dc, &position);
    EXPECT_EQ(position.x, 3 + 16);
    // Text past the edges is clipped.
    EXPECT_TRUE(TextOutA(line.dc, 0, 0, "clip", 4));
    MoveToEx(line.dc, 60, 30, nullptr);
    EXPECT_TRUE(TextOutA(line.dc, 0, 0, "WWWW", 4));
    MoveToEx(line.dc, -5, -9, nullptr);
    EXPECT_TRUE(TextOutA(line.dc, 0, 0, "MM", 2));
    EXPECT_TRUE(line.GuardsIntact());
  });
}

TEST(Gdi, FontIsReadable) {
  InProcess([] {
    // Every printable character has a glyph of its own that stays in its
    // cell; only the space is blank. Other bytes draw an empty box.
    std::set<std::string> seen;
    for (int c = 32; c <= 127; ++c) {
      Canvas canvas(24, 16, 0);
      SetTextColor(canvas.dc, RGB(255, 255, 255));
      SetBkMode(canvas.dc, TRANSPARENT);
      char text[1] = {static_cast<char>(c)};
      TextOutA(canvas.dc, 8, 0, text, 1);
      std::string ink = InkOf(canvas, kWhite, 8, 0, 8, 16);
      EXPECT_EQ(InkOf(canvas, kWhite, 0, 0, 8, 16), std::string(128, '.')) << c;
      EXPECT_EQ(InkOf(canvas, kWhite, 16, 0, 8, 16), std::string(128, '.')) << c;
      EXPECT_EQ(ink.find('#') == std::string::npos, c == ' ') << c;
      EXPECT_TRUE(seen.insert(ink).second) << "glyph of " << c << " repeats";
    }
  });
}

}  // namespace
