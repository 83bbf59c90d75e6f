// 2D drawing on a DrawingOutput: boxes, circles, pixels with read-back, text.
//
// DrawingStart opens an output (closing any open one first); DrawingStop
// closes it and calls the output's release. Every other operation acts on the
// open output and does nothing when none is open (ReadPoint then returns
// 0xFFFFFFFF, and a DrawingColour is lost). Drawing goes through the output's
// GDI device context, except DrawPlot on surfaces of 32, 16 or 8 bits per
// pixel, which writes the pixel memory directly (0x00RRGGBB, 5-6-5, or the
// red component as a palette index); DrawPlot outside the output's width and
// height is ignored.
//
// Every DrawingStart sets the mode flags to 0 and selects a black one-pixel
// pen, a black fill and black text; it leaves the mix mode, background mode,
// font and text cursor as the device context brings them (a fresh one: copy,
// opaque, the default font, (0, 0)). A box or circle sets the colour of pen,
// fill and text to its own until the next colour is set. Colour components
// are added without masking or clamping (256 red is 1 green).
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "runtime/core/core.h"

// The description of a surface that can be opened for drawing; filled by its
// producer (ScreenOutput, SpriteOutput).
struct DrawingOutput {
  int32_t kind;       // 7: a DirectDraw surface
  HWND window;        // 0 for surface outputs
  HDC deviceContext;  // held by the producer until release is called
  void (*release)();  // gives deviceContext back and makes the producer forget it
  void* pixels;       // row 0, column 0
  int32_t pitch;      // bytes from one row to the next
  uint32_t width;
  uint32_t height;
  uint32_t bitsPerPixel;  // 8, 16, 24 or 32
};

constexpr int32_t kDrawingOutputSurface = 7;

// Drawing-mode flags.
constexpr int32_t kDrawingTransparentText = 1;  // text without background
constexpr int32_t kDrawingInvert = 2;           // pen and fill invert
constexpr int32_t kDrawingOutline = 4;          // shapes are not filled

// Closes the open output, then opens `output`; returns its device context, or
// 0 (nothing open) for none.
HDC DrawingStart(const DrawingOutput* output);
// Closes the open output and gives its device context back.
void DrawingStop();
// For the producers of outputs: `dc` goes back to its surface (the screen is
// presented or closed, the sprite is released), so an output open on it is
// closed at once, without its release, and nothing is drawn into memory that
// may be gone.
void DrawingForget(HDC dc);
// Sets the mode flags: 1 transparent text background, 2 invert (R2_NOT),
// 4 outline only (the hollow brush; DrawingColour then makes no brush).
void DrawingMode(int32_t mode);
// Colour of pen, fill (unless outline-only) and text.
void DrawingColour(int32_t red, int32_t green, int32_t blue);
// Rectangle covering columns x ... x + width - 1, rows y ... y + height - 1.
void DrawBox(int32_t x, int32_t y, int32_t width, int32_t height, Colour colour);
// Circle in the box (x - radius, y - radius) ... (x + radius, y + radius),
// right and bottom edges excluded.
void DrawCircle(int32_t x, int32_t y, int32_t radius, Colour colour);
// Sets one pixel; the mix mode does not apply and the colour is not kept.
void DrawPlot(int32_t x, int32_t y, Colour colour);
// The colour of one pixel, 0xFFFFFFFF when there is none.
Colour ReadPoint(int32_t x, int32_t y);
// Moves the text cursor.
void TextCursor(int32_t x, int32_t y);
// Draws text at the text cursor and moves the cursor right past it; null or
// empty text draws nothing.
void DrawText(const char* text);
