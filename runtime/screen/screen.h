// The screen, its frame pacing, the sprite table with the display target, and
// the sprites.
//
// Screen: DirectDraw 7 is loaded at run time from "DDRAW.DLL". The picture is
// composed in an off-screen back buffer and copied once per frame by
// ScreenFlip into the screen window's place on the desktop's primary surface;
// a clipper bound to the window keeps it inside what is visible of the window.
// ScreenFlip then empties the thread's message queue and busy-waits on the
// performance counter for the rest of the frame period
// (frequency / (rate + 1) ticks, measured from the end of the previous wait).
//
// Sprite table: numbered sprite records, 50 at first, growing to number + 50.
// Display target: where sprite copies and ScreenClear draw; the back buffer,
// or a sprite after SpriteTarget(n); every ScreenFlip moves it home. A sprite
// that is freed while it is the target sends the target home.
//
// Sprites: off-screen surfaces in the display's format, copied opaque or
// keyed (black source pixels left out), clipped to the display target,
// correct also when a sprite is copied onto itself. Negative sprite numbers,
// and numbers from kSpriteNumberLimit up, are refused by every sprite
// operation (SpriteCreate returns 0; the others do nothing, SpriteOutput
// returns null); numbers beyond the table are empty slots.
//
// Everything handed to DirectDraw is zero-filled and carries its own size.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "runtime/drawing/drawing.h"

// ---------------------------------------------------------------- screen
// Makes the sprite table and the hidden base window, loads DirectDraw.
// Nonzero on success; 0 when "DDRAW.DLL", DirectDrawCreateEx or the table
// cannot be had (nothing made before is undone).
int32_t ScreenInit();
// Frames per second, 0 for no pacing; restarts the measurement. 1; 0 (and
// nothing changes) when the counter's frequency cannot be read or the rate is
// negative.
int32_t ScreenSetFrameRate(int32_t rate);
// Shows a width x height screen in `window` at (x, y) of its client area
// (paced at 60 frames per second when no rate was set). 1 on success; 0 after
// ScreenClose on failure (no window, no DirectDraw, a surface that cannot be
// made).
int32_t ScreenOpenWindowed(HWND window, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t stretch, int32_t rightMargin, int32_t bottomMargin);
// Presents the back buffer (closing a drawing still open on it), dispatches
// the waiting window messages and waits for the rest of the frame period; the
// display target goes home. Returns the back buffer (null while no screen is
// open).
IDirectDrawSurface7* ScreenFlip();
// Fills the display target with a colour, components clamped to 0-255; the
// fill's result code (DDERR_INVALIDOBJECT when there is no target).
HRESULT ScreenClear(int32_t red, int32_t green, int32_t blue);
// The back buffer as a DrawingOutput; null while a drawing on it is open, no
// screen is open, or the lock or device context cannot be had.
DrawingOutput* ScreenOutput();
// The window the screen is shown in (the base window while none is open).
HWND ScreenWindow();
// Gives back the device contexts handed out (closing the drawing open on
// one), frees every sprite and the surfaces; back to the initialised state
// (the active flag stays).
void ScreenClose();

// ---------------------------------------------------------------- sprite table
// Sprite numbers from this one up are refused: their table would be far
// larger than any program of this kind needs.
constexpr int32_t kSpriteNumberLimit = 65536;

// Empty table for 50 sprites (freeing the sprites of an earlier table) and
// the colour-key record; 0 when the table cannot be allocated.
int32_t SpriteTableInit();
// Makes room for `number`: capacity = number + 50 when number >= capacity.
// Numbers outside 0 ... kSpriteNumberLimit - 1 are ignored; when the table
// cannot grow it stays as it was.
void SpriteTableGrow(int32_t number);
// Releases the sprite in slot `number`, if any (with its device context, if
// it is handed out for drawing, and the drawing open on it).
void SpriteFree(int32_t number);
// -1: the display target goes home to the back buffer; a held sprite: that
// sprite becomes the target; anything else: no change. Returns the target.
IDirectDrawSurface7* SpriteTarget(int32_t number);

// ---------------------------------------------------------------- sprites
// A black width x height sprite in slot `number` (releasing what was there);
// its surface, or 0 on failure: a number outside 0 ... kSpriteNumberLimit - 1
// (nothing is released then), sizes outside 1-32767, no DirectDraw, or a
// surface DirectDraw cannot make (it makes none before ScreenOpenWindowed has
// set its cooperative level).
IDirectDrawSurface7* SpriteCreate(int32_t number, int32_t width, int32_t height);
// Copies the sprite with its top-left corner at (x, y) of the display target,
// clipped to the target; nothing before a screen was opened.
void SpriteDisplay(int32_t number, int32_t x, int32_t y);
// The same, leaving black source pixels out.
void SpriteDisplayKeyed(int32_t number, int32_t x, int32_t y);
// The sprite as a DrawingOutput; null while another sprite is handed out, for
// an empty slot, or when the surface cannot be locked or give a DC.
DrawingOutput* SpriteOutput(int32_t number);
