// What the three files of the screen library share: its one state, and the
// few operations one part runs for another (the screen frees sprites and
// sends the display target home; a freed sprite takes its drawing output and
// the display target with it). Not for other libraries.
#pragma once

#include <cstdint>

#include "runtime/screen/screen.h"

// One slot of the sprite table.
struct SpriteRecord {
  IDirectDrawSurface7* surface;  // null: the slot holds no sprite
  int16_t width;
  int16_t height;
  int16_t depth;  // display depth when the sprite was made
  int16_t mode;   // 0: memory chosen by DirectDraw
  char* file;     // picture file the sprite came from (malloc'd); none here
  int16_t targetWidth;
  int16_t targetHeight;
  int16_t sourceX;
  int16_t sourceY;
};

struct DisplayTarget {
  IDirectDrawSurface7* surface;
  int32_t width;
  int32_t height;
};

// The library's state, zero at process load and after ScreenReset.
struct ScreenState {
  // ---- the screen (screen.cpp)
  HMODULE module;
  IDirectDraw7* directDraw;
  int32_t baseWindowMade;
  HWND baseWindow;  // the screen window when DirectDraw was made: where ScreenClose returns
  HWND screenWindow;
  int32_t windowed;
  int32_t active;
  IDirectDrawSurface7* primary;
  IDirectDrawClipper* clipper;
  IDirectDrawSurface7* backBuffer;
  int32_t screenWidth;
  int32_t screenHeight;
  int32_t displayDepth;
  int32_t offsetX;
  int32_t offsetY;
  int32_t stretch;
  int32_t rightMargin;
  int32_t bottomMargin;
  HDC screenDC;  // the screen output's device context; 0 while none is handed out
  DrawingOutput screenOutput;
  int32_t frameRate;
  int32_t framePeriod;
  int32_t lastCount;
  DDBLTFX fill;
  DDSURFACEDESC2 lockDescription;  // what the screen and sprite outputs lock with

  // ---- the sprite table and the display target (sprite_table.cpp)
  SpriteRecord* table;
  int32_t spriteCapacity;
  DDCOLORKEY colourKey;  // black: every sprite's source colour key
  DisplayTarget target;  // the display target
  DisplayTarget home;    // the screen's back buffer with the screen's size

  // ---- the sprite output (sprites.cpp)
  DrawingOutput spriteOutput;
  HDC spriteDC;                        // 0 while no sprite output is handed out
  IDirectDrawSurface7* spriteSurface;  // whose device context spriteDC is
};

extern ScreenState screen;

// ---------------------------------------------------------------- screen.cpp
// Reads `surface`'s memory layout with one lock, takes its device context
// into *dc and describes both in *output with `release` and the display
// depth; returns output, or null (and *dc untouched) when the lock or the
// device context cannot be had.
DrawingOutput* OpenSurfaceOutput(IDirectDrawSurface7* surface, HDC* dc, DrawingOutput* output,
                                 void (*release)());

// ---------------------------------------------------------------- sprite_table.cpp
// The record of a slot; null for negative numbers, beyond the table, or with
// no table.
SpriteRecord* SpriteSlot(int32_t number);
// A surface about to be released stops being the home or the display target.
void SpriteTargetForget(IDirectDrawSurface7* surface);

// ---------------------------------------------------------------- sprites.cpp
// The sprite output's release: gives the device context back, if held.
void SpriteOutputRelease();
// The same, if the device context held is `surface`'s.
void SpriteOutputForget(IDirectDrawSurface7* surface);
