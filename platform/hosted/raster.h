// The hosted GDI's rasteriser: the pixels that Rectangle, Ellipse, SetPixelV,
// GetPixel and TextOutA draw and read in a device context's memory, apart
// from the objects (device contexts, pens, brushes) that gdi.cpp keeps and
// resolves into colours. Pixels are 0x00RRGGBB. Everything drawn is clipped
// to the memory; coordinates are 64-bit, so that adding two 32-bit ones never
// wraps.
#pragma once

#include <cstdint>
#include <optional>

namespace hosted {

// The memory drawn into: `height` rows of `width` pixels, each row `pitch`
// bytes after the one before.
struct Canvas {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;  // bytes
};

// What a figure is drawn with: the outline in the pen, the inside in the
// brush (either absent: not drawn), each mixed with the pixels there by
// `mix`, a binary raster operation (R2_BLACK ... R2_WHITE).
struct Paint {
  std::optional<uint32_t> pen;
  std::optional<uint32_t> brush;
  int mix;
};

// Whether (x, y) is a pixel of the canvas.
inline bool Inside(const Canvas& canvas, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < canvas.width && y < canvas.height;
}

// The pixel at (x, y), which must be inside.
inline uint32_t* PixelAt(const Canvas& canvas, int64_t x, int64_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(canvas.pixels) + y * canvas.pitch) +
         x;
}

// A rectangle covering columns left ... right - 1 and rows top ... bottom - 1,
// corners in either order: a one-pixel outline in the pen, the brush inside.
void DrawRectangle(const Canvas& canvas, const Paint& paint, int64_t left, int64_t top,
                   int64_t right, int64_t bottom);

// The ellipse inscribed in that rectangle; false, drawing nothing, when it is
// too large to walk (wider or taller than GDI's 16-bit coordinate range).
bool DrawEllipse(const Canvas& canvas, const Paint& paint, int64_t left, int64_t top, int64_t right,
                 int64_t bottom);

// `length` bytes of `text` in the built-in font (font.h), the first cell's
// top-left corner at (left, top): glyph pixels in `ink`, the rest of each
// cell in `paper` when `opaque`. The raster operation does not apply to text.
void DrawString(const Canvas& canvas, int64_t left, int64_t top, const char* text, int length,
                uint32_t ink, uint32_t paper, bool opaque);

}  // namespace hosted
