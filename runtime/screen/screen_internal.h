// What the three parts of the screen library share: the screen's DirectDraw
// object and display depth, read by the sprites; the sprite table's display
// target, moved by the screen; the sprite output's device context, given back
// when its sprite goes. Not for other libraries.
#pragma once

#include <cstdint>

#include "runtime/screen/screen.h"

// ---------------------------------------------------------------- screen.cpp
IDirectDraw7* ScreenDirectDraw();
int32_t ScreenDisplayDepth();
int32_t ScreenActive();
// The lock description that ScreenOutput and SpriteOutput lock with.
DDSURFACEDESC2* ScreenLockDescription();

// ---------------------------------------------------------------- sprite_table.cpp
struct DisplayTarget {
  IDirectDrawSurface7* surface;
  int32_t width;
  int32_t height;
};

// The record of a slot; null for negative numbers, beyond the table, or with
// no table.
SpriteRecord* SpriteSlot(int32_t number);
int32_t SpriteTableCapacity();
DDCOLORKEY* SpriteColourKey();
const DisplayTarget& SpriteCurrentTarget();
void SpriteSetTargetSize(int32_t width, int32_t height);
// The home target, which the display target becomes at once.
void SpriteSetHome(IDirectDrawSurface7* surface, int32_t width, int32_t height);
// The display target is the home surface again (sizes unchanged).
void SpriteTargetHomeSurface();
// A surface about to be released stops being the home or the display target.
void SpriteTargetForget(IDirectDrawSurface7* surface);
void SpriteTableReset();

// ---------------------------------------------------------------- sprites.cpp
// The sprite output's release: gives the device context back, if held.
void SpriteOutputRelease();
// The same, if the device context held is `surface`'s.
void SpriteOutputForget(IDirectDrawSurface7* surface);
void SpritesReset();
