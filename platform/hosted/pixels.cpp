// The pixel copies of hosted DirectDraw's blits.
#include "platform/hosted/pixels.h"

#include <algorithm>
#include <cstring>

namespace hosted {

bool EmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (EmptyRect(r)) r = RECT{0, 0, 0, 0};
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool KeyMatches(const DDCOLORKEY& key, uint32_t pixel) {
  uint32_t p = pixel & 0xFFFFFF;
  return p >= (key.dwColorSpaceLowValue & 0xFFFFFF) && p <= (key.dwColorSpaceHighValue & 0xFFFFFF);
}

void FillPixels(const PixelBuffer& to, const RECT& area, uint32_t colour) {
  // One row filled, the others copied from it: memcpy is the fastest way
  // through memory that the C library has.
  uint32_t* first = to.Row(area.top) + area.left;
  std::fill(first, first + (area.right - area.left), colour);
  for (int32_t y = area.top + 1; y < area.bottom; ++y)
    std::memcpy(to.Row(y) + area.left, first, static_cast<size_t>(area.right - area.left) * 4);
}

void CopyPixels(const PixelBuffer& to, const RECT& dest, const RECT& area, const PixelBuffer& from,
                const RECT& source, const DDCOLORKEY* sourceKey, const DDCOLORKEY* destKey,
                bool sameBuffer, std::vector<uint32_t>* scratch) {
  // In 64 bits: a clipped destination may span more than 32 bits can hold.
  const int64_t sourceWidth = int64_t{source.right} - source.left;
  const int64_t sourceHeight = int64_t{source.bottom} - source.top;
  const int64_t destWidth = int64_t{dest.right} - dest.left;
  const int64_t destHeight = int64_t{dest.bottom} - dest.top;
  const bool stretched = sourceWidth != destWidth || sourceHeight != destHeight;
  const bool plain = sourceKey == nullptr && destKey == nullptr;
  const int32_t columns = area.right - area.left;

  // Unscaled, unkeyed copy: rows are moved whole; onto itself the rows are
  // walked away from the overlap, and memmove takes care of each row.
  if (!stretched && plain) {
    const int32_t dx = source.left - dest.left;
    const int32_t dy = source.top - dest.top;
    const size_t bytes = static_cast<size_t>(columns) * 4;
    const bool upward = sameBuffer && dy < 0;  // destination below source
    for (int32_t i = 0; i < area.bottom - area.top; ++i) {
      int32_t y = upward ? area.bottom - 1 - i : area.top + i;
      std::memmove(to.Row(y) + area.left, from.Row(y + dy) + area.left + dx, bytes);
    }
    return;
  }

  // Otherwise read through a snapshot of the source rectangle when it is in
  // the same buffer, so that no pixel written is read again.
  const uint32_t* sourceBase;
  int64_t sourceStride;
  if (sameBuffer) {
    scratch->resize(static_cast<size_t>(sourceWidth * sourceHeight));
    for (int64_t y = 0; y < sourceHeight; ++y)
      std::memcpy(&(*scratch)[static_cast<size_t>(y * sourceWidth)],
                  from.Row(source.top + static_cast<int32_t>(y)) + source.left,
                  static_cast<size_t>(sourceWidth) * 4);
    sourceBase = scratch->data();
    sourceStride = sourceWidth;
  } else {
    sourceBase = from.Row(source.top) + source.left;
    sourceStride = from.pitch / 4;
  }

  for (int32_t y = area.top; y < area.bottom; ++y) {
    const int64_t row = int64_t{y} - dest.top;
    const int64_t sy = stretched ? row * sourceHeight / destHeight : row;
    const uint32_t* in = sourceBase + sy * sourceStride;
    uint32_t* out = to.Row(y);
    for (int32_t x = area.left; x < area.right; ++x) {
      const int64_t column = int64_t{x} - dest.left;
      const int64_t sx = stretched ? column * sourceWidth / destWidth : column;
      const uint32_t pixel = in[sx];
      if (sourceKey != nullptr && KeyMatches(*sourceKey, pixel)) continue;
      if (destKey != nullptr && !KeyMatches(*destKey, out[x])) continue;
      out[x] = pixel;
    }
  }
}

}  // namespace hosted
