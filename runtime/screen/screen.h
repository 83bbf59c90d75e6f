// The screen, its frame pacing, the sprite table with the display target, and
// the sprites.
//
// Screen: DirectDraw 7 is loaded at run time from "DDRAW.DLL". The picture is
// composed in an off-screen back buffer and copied once per frame by
// ScreenFlip into the screen window's place on the desktop's primary surface;
// ScreenFlip then busy-waits on the performance counter for the rest of the
// frame period (frequency / (rate + 1) ticks).
//
// Sprite table: numbered sprite records, 50 at first, growing to number + 50.
// Display target: where sprite copies and ScreenClear draw; the back buffer,
// or a sprite after SpriteTarget(n); every ScreenFlip moves it home.
//
// Sprites: off-screen surfaces in the display's format, copied opaque or
// keyed (black source pixels left out), clipped to the display target,
// correct also when a sprite is copied onto itself. Negative sprite numbers
// are refused by every sprite operation (SpriteCreate returns 0; the others
// do nothing, SpriteOutput returns null); numbers beyond the table are empty
// slots.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "runtime/drawing/drawing.h"

// ---------------------------------------------------------------- screen
// Loads DirectDraw, makes the sprite table and the hidden base window.
// Nonzero on success.
int32_t ScreenInit();
// Frames per second, 0 for no pacing. 1; 0 when the counter's frequency
// cannot be read.
int32_t ScreenSetFrameRate(int32_t rate);
// Shows a width x height screen in `window` at (x, y) of its client area.
// 1 on success; 0 after ScreenClose on failure.
int32_t ScreenOpenWindowed(HWND window, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t stretch, int32_t rightMargin, int32_t bottomMargin);
// Presents the back buffer and waits for the rest of the frame period.
IDirectDrawSurface7* ScreenFlip();
// Fills the display target with a colour; the fill's result code.
HRESULT ScreenClear(int32_t red, int32_t green, int32_t blue);
// The back buffer as a DrawingOutput; null while a drawing on it is open or
// when it cannot be had.
DrawingOutput* ScreenOutput();
// The window the screen is shown in (the base window while none is open).
HWND ScreenWindow();
// Frees every sprite and the surfaces; back to the initialised state.
void ScreenClose();
// Stop hook: ScreenClose, then unloads "DDRAW.DLL".
void ScreenStop();
// Zeroes the library state, as at process load (run by RuntimeStart).
void ScreenReset();

// ---------------------------------------------------------------- sprite table
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

// Empty table for 50 sprites and the colour-key record; 0 when the table
// cannot be allocated.
int32_t SpriteTableInit();
// Makes room for `number`: capacity = number + 50 when number >= capacity.
void SpriteTableGrow(int32_t number);
// Releases the sprite in slot `number`, if any.
void SpriteFree(int32_t number);
// -1: the display target goes home to the back buffer; a held sprite: that
// sprite becomes the target; anything else: no change. Returns the target.
IDirectDrawSurface7* SpriteTarget(int32_t number);

// ---------------------------------------------------------------- sprites
// A black width x height sprite in slot `number` (releasing what was there);
// its surface, or 0 on failure.
IDirectDrawSurface7* SpriteCreate(int32_t number, int32_t width, int32_t height);
// Copies the sprite with its top-left corner at (x, y) of the display target.
void SpriteDisplay(int32_t number, int32_t x, int32_t y);
// The same, leaving black source pixels out.
void SpriteDisplayKeyed(int32_t number, int32_t x, int32_t y);
// The sprite as a DrawingOutput; null while another sprite is handed out, for
// an empty slot, or when the surface cannot be locked or give a DC.
DrawingOutput* SpriteOutput(int32_t number);
