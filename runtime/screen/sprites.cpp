// Sprites: numbered off-screen surfaces, copied into the display target
// opaque or keyed, and handed to the drawing library as a DrawingOutput.
#include <cstdint>
#include <cstring>

#include "runtime/screen/screen_internal.h"

namespace {

constexpr int32_t kMaxSide = 32767;  // sizes are kept in 16 bits

struct SpriteState {
  DrawingOutput output;
  HDC dc;                        // the output's device context; 0 while none is handed out
  IDirectDrawSurface7* surface;  // whose device context dc is
};

SpriteState state;

// Copies with the clipping against the target done here, so that the
// unclipped BltFast can be used.
void Display(int32_t number, int32_t x, int32_t y, DWORD flags) {
  if (ScreenActive() == 0) return;
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr || record->surface == nullptr) return;
  const DisplayTarget& target = SpriteCurrentTarget();
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
  RECT source = {static_cast<LONG>(skipX + record->sourceX),
                 static_cast<LONG>(skipY + record->sourceY),
                 static_cast<LONG>(width + record->sourceX),
                 static_cast<LONG>(height + record->sourceY)};
  // A lost surface (DDERR_SURFACELOST) would be reloaded from the sprite's
  // picture file; sprites made here have none, so a lost sprite stays lost
  // and every other result is of no interest either.
  target.surface->BltFast(static_cast<DWORD>(left), static_cast<DWORD>(top), record->surface,
                          &source, flags);
}

}  // namespace

void SpriteOutputRelease() {
  if (state.dc == nullptr) return;
  DrawingForget(state.dc);
  state.surface->ReleaseDC(state.dc);
  state.dc = nullptr;
}

void SpriteOutputForget(IDirectDrawSurface7* surface) {
  if (state.dc != nullptr && state.surface == surface) SpriteOutputRelease();
}

void SpritesReset() { state = SpriteState{}; }

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
  record->depth = static_cast<int16_t>(ScreenDisplayDepth());
  record->mode = 0;
  record->file = nullptr;
  record->targetWidth = static_cast<int16_t>(width);
  record->targetHeight = static_cast<int16_t>(height);
  record->sourceX = 0;
  record->sourceY = 0;

  IDirectDraw7* directDraw = ScreenDirectDraw();
  if (directDraw == nullptr) return nullptr;
  // No pixel format: the surface takes the display's.
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);  // 124 in a 32-bit build
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* surface = nullptr;
  if (directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK || surface == nullptr)
    return nullptr;
  record->surface = surface;

  // New surfaces hold whatever the memory held: make the sprite black, which
  // is also its colour key, so a keyed copy of a new sprite changes nothing.
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);  // 100 in a 32-bit build
  fx.dwFillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  surface->SetColorKey(DDCKEY_SRCBLT, SpriteColourKey());
  return surface;
}

void SpriteDisplay(int32_t number, int32_t x, int32_t y) {
  Display(number, x, y, DDBLTFAST_WAIT);
}

void SpriteDisplayKeyed(int32_t number, int32_t x, int32_t y) {
  Display(number, x, y, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

DrawingOutput* SpriteOutput(int32_t number) {
  if (state.dc != nullptr) return nullptr;
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr || record->surface == nullptr) return nullptr;
  IDirectDrawSurface7* surface = record->surface;
  state.surface = surface;
  DDSURFACEDESC2* lock = ScreenLockDescription();
  if (surface->Lock(nullptr, lock, DDLOCK_WAIT, nullptr) != DD_OK) return nullptr;
  surface->Unlock(nullptr);
  HDC dc = nullptr;
  if (surface->GetDC(&dc) != DD_OK) return nullptr;
  state.dc = dc;
  DrawingOutput& output = state.output;
  output.kind = kDrawingOutputSurface;
  output.window = nullptr;
  output.deviceContext = dc;
  output.release = SpriteOutputRelease;
  output.pixels = lock->lpSurface;
  output.pitch = lock->lPitch;
  output.width = lock->dwWidth;
  output.height = lock->dwHeight;
  output.bitsPerPixel = static_cast<uint32_t>(ScreenDisplayDepth());
  return &output;
}
