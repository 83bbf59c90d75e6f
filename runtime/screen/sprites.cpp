// Sprites: numbered off-screen surfaces, copied into the display target
// opaque or keyed, and handed to the drawing library as a DrawingOutput.
#include <cstdint>
#include <cstring>

#include "runtime/screen/screen_internal.h"

namespace {

constexpr int32_t kMaxSide = 32767;  // sizes are kept in 16 bits

// Copies with the clipping against the target done here, so that the
// unclipped BltFast can be used.
void Display(int32_t number, int32_t x, int32_t y, DWORD flags) {
  if (screen.active == 0) return;
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr || record->surface == nullptr) return;
  const DisplayTarget& target = screen.target;
  if (target.surface == nullptr) return;

  int64_t left = x, top = y;
  int64_t width = record->width, height = record->height;
  const int64_t targetWidth = target.width, targetHeight = target.height;
  if (left >= targetWidth || top >= targetHeight || left <= -width || top <= -height) return;
  if (left + width > targetWidth) width = targetWidth - left;
  if (top + height > targetHeight) height = targetHeight - top;
  int64_t skipX = 0, skipY = 0;
  if (left < 0) {
    skipX = -left;
    left = 0;
  }
  if (top < 0) {
    skipY = -top;
    top = 0;
  }
  RECT source = {
      static_cast<LONG>(skipX + record->sourceX), static_cast<LONG>(skipY + record->sourceY),
      static_cast<LONG>(width + record->sourceX), static_cast<LONG>(height + record->sourceY)};
  // The result is not checked: a copy that fails leaves the sprite out of
  // this frame, which is all that can be done about it.
  target.surface->BltFast(static_cast<DWORD>(left), static_cast<DWORD>(top), record->surface,
                          &source, flags);
}

}  // namespace

void SpriteOutputRelease() {
  if (screen.spriteDC == nullptr) return;
  DrawingForget(screen.spriteDC);
  screen.spriteSurface->ReleaseDC(screen.spriteDC);
  screen.spriteDC = nullptr;
}

void SpriteOutputForget(IDirectDrawSurface7* surface) {
  if (screen.spriteDC != nullptr && screen.spriteSurface == surface) SpriteOutputRelease();
}

IDirectDrawSurface7* SpriteCreate(int32_t number, int32_t width, int32_t height) {
  if (number < 0 || number >= kSpriteNumberLimit) return nullptr;
  SpriteTableGrow(number);
  SpriteFree(number);
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr) return nullptr;  // the table could not grow
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return nullptr;

  record->surface = nullptr;
  record->width = static_cast<int16_t>(width);
  record->height = static_cast<int16_t>(height);
  record->depth = static_cast<int16_t>(screen.displayDepth);
  record->mode = 0;
  record->file = nullptr;
  record->targetWidth = static_cast<int16_t>(width);
  record->targetHeight = static_cast<int16_t>(height);
  record->sourceX = 0;
  record->sourceY = 0;

  if (screen.directDraw == nullptr) return nullptr;
  // No pixel format: the surface takes the display's.
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* surface = nullptr;
  if (screen.directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK || surface == nullptr)
    return nullptr;
  record->surface = surface;

  // New surfaces hold whatever the memory held: make the sprite black, which
  // is also its colour key, so a keyed copy of a new sprite changes nothing.
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  surface->SetColorKey(DDCKEY_SRCBLT, &screen.colourKey);
  return surface;
}

void SpriteDisplay(int32_t number, int32_t x, int32_t y) { Display(number, x, y, DDBLTFAST_WAIT); }

void SpriteDisplayKeyed(int32_t number, int32_t x, int32_t y) {
  Display(number, x, y, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

DrawingOutput* SpriteOutput(int32_t number) {
  if (screen.spriteDC != nullptr) return nullptr;
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr || record->surface == nullptr) return nullptr;
  screen.spriteSurface = record->surface;
  return OpenSurfaceOutput(record->surface, &screen.spriteDC, &screen.spriteOutput,
                           SpriteOutputRelease);
}
