// 2D drawing through the open output's device context, and pixels written
// straight into its memory.
#include "runtime/drawing/drawing.h"

#include <cstring>

#include "runtime/core/helpers.h"
#include "runtime/core/hooks.h"

namespace {

constexpr Colour kNoColour = 0xFFFFFFFF;

struct DrawingState {
  // The open output (deviceContext 0 while none is open); only a surface's
  // memory is kept, so that nothing stale is written to.
  DrawingOutput output;
  Colour currentColour;
  int32_t mode;
  HBRUSH defaultBrush;
  HPEN defaultPen;
  HGDIOBJ savedBrush;
  HGDIOBJ savedPen;
  HBRUSH colourBrush;  // made by DrawingColour since the output was opened
  HPEN colourPen;
};

DrawingState state;

void ColourFrom(Colour colour) {
  DrawingColour(static_cast<int32_t>(RedOf(colour)), static_cast<int32_t>(GreenOf(colour)),
                static_cast<int32_t>(BlueOf(colour)));
}

}  // namespace

void DrawingReset() { state = {}; }

void DrawingInit() {
  state.defaultBrush = CreateSolidBrush(0);
  state.defaultPen = CreatePen(PS_SOLID, 0, state.currentColour);
}

HDC DrawingStart(const DrawingOutput* output) {
  DrawingStop();
  if (output == nullptr) return nullptr;
  state.output = *output;
  state.mode = 0;
  if (output->kind != kDrawingOutputSurface) {
    // Only surfaces describe their memory; nothing stale may be written to.
    state.output.pixels = nullptr;
    state.output.pitch = 0;
    state.output.width = state.output.height = state.output.bitsPerPixel = 0;
  }
  HDC dc = state.output.deviceContext;
  if (dc) {
    // Mix mode, background mode, font and text cursor stay as the device
    // context brings them: copy, opaque, the default font, (0, 0).
    SetTextAlign(dc, TA_UPDATECP);
    state.savedBrush = SelectObject(dc, state.defaultBrush);
    state.savedPen = SelectObject(dc, state.defaultPen);
    SetTextColor(dc, 0);
  }
  return dc;
}

void DrawingStop() {
  HDC dc = state.output.deviceContext;
  if (dc == nullptr) return;
  // Put the saved objects back before deleting ours: a selected object cannot
  // be deleted.
  SelectObject(dc, state.savedBrush);
  SelectObject(dc, state.savedPen);
  if (state.colourBrush) {
    DeleteObject(state.colourBrush);
    state.colourBrush = nullptr;
  }
  if (state.colourPen) {
    DeleteObject(state.colourPen);
    state.colourPen = nullptr;
  }
  // Closed before the release runs, which may ask to close it again.
  void (*release)() = state.output.release;
  state.output.deviceContext = nullptr;
  if (release) release();
}

void DrawingForget(HDC dc) {
  if (dc == nullptr || state.output.deviceContext != dc) return;
  state.output.release = nullptr;
  DrawingStop();
}

void DrawingMode(int32_t mode) {
  HDC dc = state.output.deviceContext;
  if (dc == nullptr) return;
  state.mode = mode;
  SetROP2(dc, (mode & kDrawingInvert) ? R2_NOT : R2_COPYPEN);
  if (mode & kDrawingOutline) {
    SelectObject(dc, GetStockObject(NULL_BRUSH));
  } else if (state.colourBrush) {
    SelectObject(dc, state.colourBrush);
  }
  SetBkMode(dc, (mode & kDrawingTransparentText) ? TRANSPARENT : OPAQUE);
}

void DrawingColour(int32_t red, int32_t green, int32_t blue) {
  HDC dc = state.output.deviceContext;
  if (dc == nullptr) return;
  Colour colour = Rgb(red, green, blue);
  state.currentColour = colour;
  // Each new object is selected before the one it replaces is deleted.
  if (!(state.mode & kDrawingOutline)) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) {
      SelectObject(dc, brush);
      if (state.colourBrush) DeleteObject(state.colourBrush);
      state.colourBrush = brush;
    }
  }
  HPEN pen = CreatePen(PS_SOLID, 0, colour);
  if (pen) {
    SelectObject(dc, pen);
    if (state.colourPen) DeleteObject(state.colourPen);
    state.colourPen = pen;
  }
  SetTextColor(dc, colour);
}

void DrawBox(int32_t x, int32_t y, int32_t width, int32_t height, Colour colour) {
  if (state.output.deviceContext == nullptr) return;
  ColourFrom(colour);
  Rectangle(state.output.deviceContext, x, y, WrapAdd(x, width), WrapAdd(y, height));
}

void DrawCircle(int32_t x, int32_t y, int32_t radius, Colour colour) {
  if (state.output.deviceContext == nullptr) return;
  ColourFrom(colour);
  Ellipse(state.output.deviceContext, WrapSubtract(x, radius), WrapSubtract(y, radius),
          WrapAdd(x, radius), WrapAdd(y, radius));
}

void DrawPlot(int32_t x, int32_t y, Colour colour) {
  HDC dc = state.output.deviceContext;
  if (dc == nullptr) return;
  const DrawingOutput& output = state.output;
  bool surface = output.kind == kDrawingOutputSurface;
  if (surface && (x < 0 || y < 0 || static_cast<uint32_t>(x) >= output.width ||
                  static_cast<uint32_t>(y) >= output.height))
    return;
  uint32_t bits = output.bitsPerPixel;
  if (!surface || output.pixels == nullptr || (bits != 32 && bits != 16 && bits != 8)) {
    SetPixelV(dc, x, y, colour);
    return;
  }
  unsigned char* pixel = static_cast<unsigned char*>(output.pixels) +
                         static_cast<intptr_t>(y) * output.pitch +
                         static_cast<intptr_t>(x) * static_cast<intptr_t>(bits / 8);
  if (bits == 32) {
    uint32_t word = (RedOf(colour) << 16) + (GreenOf(colour) << 8) + BlueOf(colour);
    std::memcpy(pixel, &word, sizeof word);
  } else if (bits == 16) {
    uint16_t word = static_cast<uint16_t>(((RedOf(colour) >> 3) << 11) +
                                          ((GreenOf(colour) >> 2) << 5) + (BlueOf(colour) >> 3));
    std::memcpy(pixel, &word, sizeof word);
  } else {
    *pixel = static_cast<unsigned char>(RedOf(colour));  // the red component as palette index
  }
}

Colour ReadPoint(int32_t x, int32_t y) {
  if (state.output.deviceContext == nullptr) return kNoColour;
  return GetPixel(state.output.deviceContext, x, y);
}

void TextCursor(int32_t x, int32_t y) {
  if (state.output.deviceContext == nullptr) return;
  MoveToEx(state.output.deviceContext, x, y, nullptr);
}

void DrawText(const char* text) {
  if (state.output.deviceContext == nullptr || text == nullptr || text[0] == '\0') return;
  size_t length = std::strlen(text);
  if (length > 0x7FFFFFFF) length = 0x7FFFFFFF;
  // TA_UPDATECP: the platform draws at the text cursor, ignores (0, 0), and
  // moves the cursor past the text.
  TextOutA(state.output.deviceContext, 0, 0, text, static_cast<int>(length));
}
