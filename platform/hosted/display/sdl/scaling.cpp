// Whole-number scales and the block copy of the SDL display.
#include "platform/hosted/display/sdl/scaling.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace sdl {
namespace {

constexpr int32_t kDefaultWidth = 640;  // the smallest desktop the default scale leaves
constexpr int32_t kDefaultHeight = 480;
constexpr int32_t kGameWidth = 320;  // the smallest desktop any scale may leave
constexpr int32_t kGameHeight = 240;

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// The first line of a row of blocks: every pixel `scale` times, two at a
// time in 64-bit stores. A scale known to the compiler lets it unroll them.
template <int32_t Scale>
void WidenRow(const uint32_t* in, int32_t width, uint8_t* out) {
  for (int32_t x = 0; x < width; ++x) {
    uint32_t pixel = in[x];
    uint64_t pair = pixel | uint64_t{pixel} << 32;
    int32_t i = 0;
    for (; i + 2 <= Scale; i += 2, out += 8) std::memcpy(out, &pair, 8);
    if (i < Scale) {
      std::memcpy(out, &pixel, 4);
      out += 4;
    }
  }
}

void WidenRow(const uint32_t* in, int32_t width, int32_t scale, uint8_t* out) {
  switch (scale) {
    case 2:
      return WidenRow<2>(in, width, out);
    case 3:
      return WidenRow<3>(in, width, out);
    case 4:
      return WidenRow<4>(in, width, out);
    default:
      for (int32_t x = 0; x < width; ++x)
        for (int32_t i = 0; i < scale; ++i, out += 4) std::memcpy(out, &in[x], 4);
  }
}

}  // namespace

int32_t FitScale(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height) {
  if (width < 1 || height < 1) return 1;
  return std::max(1, std::min(areaWidth / width, areaHeight / height));
}

int32_t DefaultScale(int32_t screenWidth, int32_t screenHeight) {
  return FitScale(screenWidth, screenHeight, kDefaultWidth, kDefaultHeight);
}

int32_t LargestScale(int32_t screenWidth, int32_t screenHeight) {
  return FitScale(screenWidth, screenHeight, kGameWidth, kGameHeight);
}

void ScalePixels(const uint32_t* source, int32_t sourcePitch, int32_t width, int32_t height,
                 int32_t scale, void* target, int32_t targetPitch) {
  size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(scale) * 4;
  const auto* in = reinterpret_cast<const uint8_t*>(source);
  auto* out = static_cast<uint8_t*>(target);
  for (int32_t y = 0; y < height; ++y, in += sourcePitch) {
    // The first line of the row of blocks is made once, the others copied.
    uint8_t* first = out;
    if (scale == 1)
      std::memcpy(first, in, rowBytes);
    else
      WidenRow(reinterpret_cast<const uint32_t*>(in), width, scale, first);
    out += targetPitch;
    for (int32_t i = 1; i < scale; ++i, out += targetPitch) std::memcpy(out, first, rowBytes);
  }
}

void PaintScaled(const hosted::DesktopPicture& desktop, const RECT& area, int32_t scale, int32_t x,
                 int32_t y, SDL_Surface* target, std::vector<uint32_t>* scratch) {
  if (scale < 1) return;
  // The area's columns and rows that lie on the desktop and whose blocks fit
  // whole in the target.
  int64_t left = std::max<int64_t>({area.left, 0, area.left + CeilDiv(-x, scale)});
  int64_t top = std::max<int64_t>({area.top, 0, area.top + CeilDiv(-y, scale)});
  int64_t right = std::min<int64_t>(
      {area.right, desktop.width, area.left + FloorDiv(int64_t{target->w} - x, scale)});
  int64_t bottom = std::min<int64_t>(
      {area.bottom, desktop.height, area.top + FloorDiv(int64_t{target->h} - y, scale)});
  if (left != area.left || top != area.top || right != area.right || bottom != area.bottom) {
    // Black first where the area shows nothing of the desktop.
    int64_t fillLeft = std::max<int64_t>(x, 0);
    int64_t fillTop = std::max<int64_t>(y, 0);
    int64_t fillRight = std::min<int64_t>(x + (int64_t{area.right} - area.left) * scale, target->w);
    int64_t fillBottom =
        std::min<int64_t>(y + (int64_t{area.bottom} - area.top) * scale, target->h);
    if (fillRight > fillLeft && fillBottom > fillTop) {
      SDL_Rect fill{static_cast<int>(fillLeft), static_cast<int>(fillTop),
                    static_cast<int>(fillRight - fillLeft), static_cast<int>(fillBottom - fillTop)};
      SDL_FillRect(target, &fill, SDL_MapRGB(target->format, 0, 0, 0));
    }
  }
  if (right <= left || bottom <= top) return;
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
  auto width = static_cast<int32_t>(right - left);
  auto height = static_cast<int32_t>(bottom - top);
  const uint32_t* source =
      desktop.pixels + static_cast<size_t>(top) * static_cast<size_t>(desktop.pitch / 4) + left;
  auto* out = static_cast<uint8_t*>(target->pixels) +
              static_cast<size_t>(y + (top - area.top) * scale) * target->pitch +
              static_cast<size_t>(x + (left - area.left) * scale) * target->format->BytesPerPixel;
  if (target->format->format == SDL_PIXELFORMAT_RGB888) {
    ScalePixels(source, desktop.pitch, width, height, scale, out, target->pitch);
  } else {
    int32_t pitch = width * scale * 4;
    scratch->resize(static_cast<size_t>(width * scale) * static_cast<size_t>(height * scale));
    ScalePixels(source, desktop.pitch, width, height, scale, scratch->data(), pitch);
    SDL_ConvertPixels(width * scale, height * scale, SDL_PIXELFORMAT_RGB888, scratch->data(), pitch,
                      target->format->format, out, target->pitch);
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
}

}  // namespace sdl
