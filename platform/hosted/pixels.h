// The pixel copies of hosted DirectDraw's blits, over blocks of 32-bit XRGB
// memory: a colour fill, and a copy of a rectangle onto another that stretches
// by nearest neighbour when their sizes differ, can leave pixels out by colour
// key and reads as if the whole source were read first when a block is copied
// onto itself. Every rectangle must lie inside its block: the caller checks
// and clips them, with the rectangle operations here. A RECT covers columns
// left ... right - 1 and rows top ... bottom - 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/hosted/ddraw.h"
#include "platform/hosted/windows.h"

namespace hosted {

// `height` rows of `width` pixels, each row `pitch` bytes after the one before.
struct PixelBuffer {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;  // bytes, a multiple of 4

  uint32_t* Row(int32_t y) const { return pixels + static_cast<ptrdiff_t>(y) * (pitch / 4); }
};

// Whether `r` covers no pixel.
bool EmptyRect(const RECT& r);
// The pixels that both cover; 0, 0, 0, 0 when there are none.
RECT Intersect(const RECT& a, const RECT& b);
// Whether every pixel of `inner` is in `outer`.
bool Inside(const RECT& inner, const RECT& outer);

// Whether `pixel` lies in the key's range, dwColorSpaceLowValue ...
// dwColorSpaceHighValue. Only the colour bits take part; the unused top byte
// of an XRGB pixel does not.
bool KeyMatches(const DDCOLORKEY& key, uint32_t pixel);

// Fills `area` of `to` with `colour`.
void FillPixels(const PixelBuffer& to, const RECT& area, uint32_t colour);

// Copies rectangle `source` of `from` onto rectangle `dest` of `to`, the part
// inside `area` only, stretching by nearest neighbour when the sizes differ.
// Source pixels that match `sourceKey` are left out, and only destination
// pixels that match `destKey` are written (either key may be null). When
// `sameBuffer` (`from` is `to`) the result is that of reading the whole source
// rectangle before writing, however the rectangles overlap; `scratch` then
// holds a copy of the source where one is needed.
void CopyPixels(const PixelBuffer& to, const RECT& dest, const RECT& area, const PixelBuffer& from,
                const RECT& source, const DDCOLORKEY* sourceKey, const DDCOLORKEY* destKey,
                bool sameBuffer, std::vector<uint32_t>* scratch);

}  // namespace hosted
