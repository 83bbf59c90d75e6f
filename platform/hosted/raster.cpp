// The hosted GDI's rasteriser.
#include "platform/hosted/raster.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/hosted/font.h"
#include "platform/hosted/windows.h"

namespace hosted {
namespace {

// Ellipses are rasterised row by row; boxes wider or taller than this are
// refused rather than walked for seconds (GDI's 16-bit coordinate range).
constexpr int64_t kMaxEllipseSide = 65536;

// The 16 binary raster operations: R2_x - 1 is a truth table indexed by
// (pen bit << 1) | destination bit, applied to every bit of the colour.
uint32_t Mix(int mix, uint32_t pen, uint32_t destination) {
  unsigned table = static_cast<unsigned>(mix - 1);
  uint32_t result = 0;
  if (table & 1) result |= ~pen & ~destination;
  if (table & 2) result |= ~pen & destination;
  if (table & 4) result |= pen & ~destination;
  if (table & 8) result |= pen & destination;
  return result & 0xFFFFFF;
}

// Columns left ... right (inclusive) of row y, clipped to the memory, mixed
// with `pixel` by the raster operation `mix`.
void MixSpan(const Canvas& canvas, int mix, int64_t left, int64_t right, int64_t y,
             uint32_t pixel) {
  if (y < 0 || y >= canvas.height) return;
  if (left < 0) left = 0;
  if (right >= canvas.width) right = canvas.width - 1;
  if (left > right) return;
  uint32_t* p = PixelAt(canvas, left, y);
  uint32_t* end = p + (right - left + 1);
  if (mix == R2_COPYPEN) {
    for (; p != end; ++p) *p = pixel;
  } else {
    for (; p != end; ++p) *p = Mix(mix, pixel, *p & 0xFFFFFF);
  }
}

// Fills the inclusive box (left, top) ... (right, bottom).
void MixBox(const Canvas& canvas, int mix, int64_t left, int64_t top, int64_t right, int64_t bottom,
            uint32_t pixel) {
  if (top < 0) top = 0;
  if (bottom >= canvas.height) bottom = canvas.height - 1;
  for (int64_t y = top; y <= bottom; ++y) MixSpan(canvas, mix, left, right, y, pixel);
}

// Win32 accepts the corners in either order.
void Normalise(int64_t* left, int64_t* top, int64_t* right, int64_t* bottom) {
  if (*left > *right) std::swap(*left, *right);
  if (*top > *bottom) std::swap(*top, *bottom);
}

// The outline of the ellipse inscribed in a width x height pixel box, as
// runs of its lower-right quadrant: for box row height / 2 + i, the outline
// covers box columns inner[i] ... outer[i]; the other quadrants are mirror
// images. Midpoint error stepping after A. Zingl's ellipse-in-rectangle
// algorithm: for circles it gives the same pixels as the Win32 GDI the tests
// compare with (tests/gdi), for the game's radii 0 ... 10 and beyond.
void EllipseQuadrant(int64_t width, int64_t height, std::vector<int64_t>* inner,
                     std::vector<int64_t>* outer) {
  int64_t rows = height - height / 2;
  inner->assign(static_cast<size_t>(rows), -1);
  outer->assign(static_cast<size_t>(rows), -1);
  const int64_t a = width - 1;
  const int64_t b = height - 1;
  const int64_t aStep = 8 * a * a;
  const int64_t bStep = 8 * b * b;
  int64_t dx = 4 * b * b * (1 - a);
  int64_t dy = 4 * a * a * (1 + b % 2);
  int64_t err = dx + dy + a * a * (b % 2);
  int64_t x = a;
  int64_t y = height / 2;
  while (x >= width / 2 && y < height) {
    size_t row = static_cast<size_t>(y - height / 2);
    if ((*outer)[row] < 0) (*outer)[row] = x;
    (*inner)[row] = x;
    int64_t e2 = 2 * err;
    if (e2 >= dx) {
      --x;
      dx += bStep;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += aStep;
      err += dy;
    }
  }
  // Tall thin ellipses run out of columns before their last rows; the tips
  // go on straight down the centre so that the figure meets its box.
  for (int64_t row = 0; row < rows; ++row) {
    if ((*outer)[static_cast<size_t>(row)] >= 0) continue;
    (*outer)[static_cast<size_t>(row)] = (*inner)[static_cast<size_t>(row)] = width / 2;
  }
}

// One character cell with its top-left corner at (x, y).
void DrawCharacter(const Canvas& canvas, int64_t x, int64_t y, unsigned char c, uint32_t ink,
                   uint32_t paper, bool opaque) {
  const uint8_t* glyph = Glyph(c);
  for (int32_t row = 0; row < kFontCellHeight; ++row) {
    int32_t glyphRow = row - kGlyphTop;
    uint8_t bits = glyphRow >= 0 && glyphRow < kGlyphRows ? glyph[glyphRow] : 0;
    for (int32_t column = 0; column < kFontCellWidth; ++column) {
      int32_t glyphColumn = column - kGlyphLeft;
      bool set = glyphColumn >= 0 && glyphColumn < kGlyphWidth &&
                 ((bits >> (kGlyphWidth - 1 - glyphColumn)) & 1);
      if (!set && !opaque) continue;
      if (!Inside(canvas, x + column, y + row)) continue;
      *PixelAt(canvas, x + column, y + row) = set ? ink : paper;
    }
  }
}

}  // namespace

// A rectangle covering columns left ... right - 1 and rows top ... bottom - 1:
// the one-pixel outline in the pen along the outermost ones, the brush inside.
// Without a pen the fill is one pixel smaller in each direction, as on Win32;
// a 1 x 1 figure with a pen draws nothing, as on Win32.
void DrawRectangle(const Canvas& canvas, const Paint& paint, int64_t left, int64_t top,
                   int64_t right, int64_t bottom) {
  Normalise(&left, &top, &right, &bottom);
  if (left == right || top == bottom) return;
  const std::optional<uint32_t>& pen = paint.pen;
  const std::optional<uint32_t>& brush = paint.brush;
  const int mix = paint.mix;
  if (!pen) {
    if (brush) MixBox(canvas, mix, left, top, right - 2, bottom - 2, *brush);
    return;
  }
  if (brush) MixBox(canvas, mix, left + 1, top + 1, right - 2, bottom - 2, *brush);
  if (right - left == 1 && bottom - top == 1) return;
  // Each outline pixel is mixed once, so R2_NOT inverts the frame once.
  MixSpan(canvas, mix, left, right - 1, top, *pen);
  if (bottom - 1 > top) MixSpan(canvas, mix, left, right - 1, bottom - 1, *pen);
  // Only the rows of the memory are walked: a box can reach far past them.
  const int64_t firstRow = std::max<int64_t>(top + 1, 0);
  const int64_t endRow = std::min<int64_t>(bottom - 1, canvas.height);
  for (int64_t y = firstRow; y < endRow; ++y) {
    MixSpan(canvas, mix, left, left, y, *pen);
    if (right - 1 > left) MixSpan(canvas, mix, right - 1, right - 1, y, *pen);
  }
}

// The ellipse inscribed in columns left ... right - 1, rows top ... bottom - 1.
// Each row's whole span is filled with the brush first and the outline drawn
// over it, so with R2_NOT the outline is inverted twice, as on Win32. Boxes of
// 2 pixels or less in either direction are drawn as rectangles, as on Win32.
bool DrawEllipse(const Canvas& canvas, const Paint& paint, int64_t left, int64_t top, int64_t right,
                 int64_t bottom) {
  Normalise(&left, &top, &right, &bottom);
  int64_t width = right - left;
  int64_t height = bottom - top;
  if (width == 0 || height == 0) return true;
  if (width <= 2 || height <= 2) {
    DrawRectangle(canvas, paint, left, top, right, bottom);
    return true;
  }
  if (width > kMaxEllipseSide || height > kMaxEllipseSide) return false;
  std::vector<int64_t> inner, outer;
  EllipseQuadrant(width, height, &inner, &outer);
  const std::optional<uint32_t>& pen = paint.pen;
  const std::optional<uint32_t>& brush = paint.brush;
  const int mix = paint.mix;
  auto drawRow = [&](int64_t y, int64_t in, int64_t out) {
    // Box columns of the right run; the left run mirrors it.
    int64_t rightInner = left + in, rightOuter = left + out;
    int64_t leftOuter = left + (width - 1 - out), leftInner = left + (width - 1 - in);
    if (brush) MixSpan(canvas, mix, leftOuter, rightOuter, y, *brush);
    if (!pen) return;
    if (leftInner >= rightInner) {
      MixSpan(canvas, mix, leftOuter, rightOuter, y, *pen);
    } else {
      MixSpan(canvas, mix, leftOuter, leftInner, y, *pen);
      MixSpan(canvas, mix, rightInner, rightOuter, y, *pen);
    }
  };
  for (size_t i = 0; i < inner.size(); ++i) {
    int64_t lower = top + height / 2 + static_cast<int64_t>(i);
    int64_t upper = top + (height - 1 - (height / 2 + static_cast<int64_t>(i)));
    drawRow(lower, inner[i], outer[i]);
    if (upper != lower) drawRow(upper, inner[i], outer[i]);
  }
  return true;
}

void DrawString(const Canvas& canvas, int64_t left, int64_t top, const char* text, int length,
                uint32_t ink, uint32_t paper, bool opaque) {
  bool rowsVisible = top < canvas.height && top + kFontCellHeight > 0;
  for (int i = 0; rowsVisible && i < length; ++i) {
    int64_t cell = left + static_cast<int64_t>(i) * kFontCellWidth;
    if (cell >= canvas.width) break;  // the rest is clipped too
    if (cell + kFontCellWidth <= 0) continue;
    DrawCharacter(canvas, cell, top, static_cast<unsigned char>(text[i]), ink, paper, opaque);
  }
}

}  // namespace hosted
