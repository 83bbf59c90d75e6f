// Tables of the Win32 calls the runtime makes, each row run and its result
// written as one line of text: wvsprintfA, Rectangle and Ellipse on a
// DirectDraw surface's device context, TextOutA, BltFast and Blt, the screen
// metrics and window placement. Built for Windows, where the real platform
// answers, and for the headless display, where the hosted one does, so that
// both can be held against one expected file (tests/wine/expected).
//
//   win32-tables-probe OUT.txt
//
// Surfaces are shown as text, a character per pixel, rows separated by '/':
// '.' white, '_' black, 'p' the pen's red, 'b' the brush's blue, '#' the fill
// colour green, a letter or digit for the grey of pattern pixel i
// (i + 1) * 0x010101, '?' anything else.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/core/core.h"
#include "runtime/core/helpers.h"
#include "runtime/screen/screen.h"
#include "runtime/window/window.h"
#include "tests/wine/windows/probe.h"
#ifndef _WIN32
#include "platform/hosted/hosted_view.h"  // the calls the runtime does not make
#endif

namespace {

constexpr int32_t kWidth = 10, kHeight = 6;  // the drawn-on surfaces
constexpr int32_t kSourceWidth = 6, kSourceHeight = 4;
constexpr uint32_t kWhite = 0xFFFFFF, kPen = 0xFF0000, kBrush = 0x0000FF, kFill = 0x00FF00;
constexpr DWORD kColorSpace = 0x00000001;  // DDCKEY_COLORSPACE
constexpr char kPattern[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+*";

std::FILE* out = nullptr;

void Line(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(out, format, arguments);
  va_end(arguments);
  std::fputc('\n', out);
}

// The C library's formatting, which the tables use for what they print.
std::string Printed(const char* format, ...) {
  char text[4096];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

// ---------------------------------------------------------------- wvsprintfA

// wvsprintfA's result and text, as `count "text"`, through the runtime's
// FormatText.
template <typename Argument>
std::string Formatted(const char* format, Argument argument) {
  char buffer[2048];
  int length = FormatText(buffer, format, argument);
  return Printed("%d \"%s\"", length, buffer);
}

std::string Text(const RECT& r) {
  return Printed("(%d, %d, %d, %d)", static_cast<int>(r.left), static_cast<int>(r.top),
                 static_cast<int>(r.right), static_cast<int>(r.bottom));
}

void FormatTable() {
  const char* const numberFormats[] = {
      "%d",   "%i",   "%u",    "%x",     "%X",      "%ld",   "%lu",    "%lx",
      "%hd",  "%hu",  "%hX",   "%6d",    "%-6d|",   "%06d",  "%-06d|", "%06x",
      "%.3d", "%.0u", "%8.3d", "%08.3d", "%-8.3X|", "%012d", "%3d",
  };
  const uint32_t values[] = {
      0, static_cast<uint32_t>(-7), 42, static_cast<uint32_t>(INT_MIN), UINT_MAX, 0x18000};
  for (const char* format : numberFormats)
    for (uint32_t value : values) {
      // A precision is the least number of digits, as the documentation has
      // it and the hosted formatter does ("%.3d" of -7 is "-007"); Wine
      // counts the sign among them ("-07"), so negative numbers are left out.
      if (std::strchr(format, '.') && std::strchr(format, 'd') && static_cast<int32_t>(value) < 0)
        continue;
      Line("wvsprintfA \"%s\" %d = %s", format, static_cast<int>(value),
           Formatted(format, value).c_str());
    }
  const char* const characterFormats[] = {"%c", "%3c", "%-3c|", "%hc"};
  for (const char* format : characterFormats)
    Line("wvsprintfA \"%s\" 'A' = %s", format, Formatted(format, 'A').c_str());
  const char* const stringFormats[] = {"%s",   "%hs",  "%6s",   "%-6s|",
                                       "%.2s", "%.0s", "%6.2s", "%-6.1s|"};
  const char* const strings[] = {"abc", "", nullptr};
  for (const char* format : stringFormats)
    for (const char* text : strings)
      Line("wvsprintfA \"%s\" %s = %s", format, text ? Printed("\"%s\"", text).c_str() : "NULL",
           Formatted(format, text).c_str());
  const char* const plainFormats[] = {"100%%", "a%%b%%", "ab%", "", "%q"};
  for (const char* format : plainFormats)
    Line("wvsprintfA \"%s\" = %s", format, Formatted(format, 5).c_str());
  // Output past the documented 1024 bytes: what is kept. The count is left
  // out: the documentation counts the characters stored (1023, as the hosted
  // formatter does), Wine answers 1024.
  char buffer[2048];
  std::memset(buffer, 'x', sizeof buffer);
  FormatText(buffer, "%s%s", std::string(1000, 'a').c_str(), std::string(100, 'b').c_str());
  Line("wvsprintfA 1100 characters: %d kept", static_cast<int>(strnlen(buffer, 2048)));
}

// ---------------------------------------------------------------- surfaces

char PixelChar(uint32_t pixel) {
  pixel &= 0xFFFFFF;
  if (pixel == kWhite) return '.';
  if (pixel == 0) return '_';
  if (pixel == kPen) return 'p';
  if (pixel == kBrush) return 'b';
  if (pixel == kFill) return '#';
  uint32_t i = (pixel & 0xFF) - 1;
  if (pixel == (i + 1) * 0x010101u && i < sizeof kPattern - 1) return kPattern[i];
  return '?';
}

std::string Digest(IDirectDrawSurface7* surface) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return "(no lock)";
  std::string text;
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    const auto* row = static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch;
    if (y > 0) text += '/';
    for (DWORD x = 0; x < desc.dwWidth; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + x * 4, 4);
      text += PixelChar(pixel);
    }
  }
  surface->Unlock(nullptr);
  return text;
}

// Every pixel white, or pattern pixel i at the i-th pixel in row order.
void Paint(IDirectDrawSurface7* surface, bool pattern) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return;
  for (DWORD y = 0; y < desc.dwHeight; ++y)
    for (DWORD x = 0; x < desc.dwWidth; ++x) {
      uint32_t pixel = pattern ? (y * desc.dwWidth + x + 1) * 0x010101u : kWhite;
      std::memcpy(static_cast<unsigned char*>(desc.lpSurface) + y * desc.lPitch + x * 4, &pixel, 4);
    }
  surface->Unlock(nullptr);
}

void FigureTable(IDirectDrawSurface7* surface) {
  const RECT figures[] = {{1, 1, 8, 5}, {-2, -2, 4, 3}, {6, 3, 12, 9}, {-1, -1, 11, 7},
                          {8, 5, 1, 1}, {3, 1, 6, 4},   {2, 2, 4, 4},  {4, 2, 5, 3}};
  const struct {
    const char* name;
    int pen;  // stock object, or -1 for a solid red pen
    int brush;
  } paints[] = {{"pen brush", -1, -1},
                {"NULL_PEN brush", NULL_PEN, -1},
                {"pen NULL_BRUSH", -1, NULL_BRUSH},
                {"NULL_PEN NULL_BRUSH", NULL_PEN, NULL_BRUSH}};
  const int mixes[] = {R2_COPYPEN, R2_NOT};
  for (int shape = 0; shape < 2; ++shape)
    for (int mix : mixes)
      for (const auto& paint : paints)
        for (const RECT& r : figures) {
          Paint(surface, false);
          HDC dc = nullptr;
          if (surface->GetDC(&dc) != DD_OK) ProbeFinish("GetDC failed");
          HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
          HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
          HGDIOBJ oldPen = SelectObject(dc, paint.pen < 0 ? pen : GetStockObject(paint.pen));
          HGDIOBJ oldBrush =
              SelectObject(dc, paint.brush < 0 ? brush : GetStockObject(paint.brush));
          SetROP2(dc, mix);
          BOOL drawn = shape == 0 ? Rectangle(dc, r.left, r.top, r.right, r.bottom)
                                  : Ellipse(dc, r.left, r.top, r.right, r.bottom);
          SelectObject(dc, oldPen);
          SelectObject(dc, oldBrush);
          DeleteObject(pen);
          DeleteObject(brush);
          surface->ReleaseDC(dc);
          Line("%s %s %s %s = %d %s", shape == 0 ? "Rectangle" : "Ellipse",
               mix == R2_NOT ? "R2_NOT" : "R2_COPYPEN", paint.name, Text(r).c_str(), drawn,
               Digest(surface).c_str());
        }
}

// The text's font is the platform's own, so only where the text goes and
// where the current position moves are compared, not the glyphs' pixels.
void TextTable(IDirectDrawSurface7* surface) {
  const struct {
    UINT align;
    int mode;
    int x, y;  // TextOutA's point; the current position is (2, 1)
    const char* text;
  } rows[] = {{TA_UPDATECP, OPAQUE, 0, 0, "Hi"},
              {TA_UPDATECP, TRANSPARENT, 0, 0, "Hi"},
              {TA_UPDATECP, OPAQUE, 0, 0, ""},
              {TA_NOUPDATECP, OPAQUE, 4, 0, "H"},
              {TA_UPDATECP, TRANSPARENT, 50, 50, "H"}};
  for (const auto& row : rows) {
    Paint(surface, false);
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK) ProbeFinish("GetDC failed");
    UINT before = SetTextAlign(dc, row.align);
    SetBkMode(dc, row.mode);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 0, 255));
    MoveToEx(dc, 2, 1, nullptr);
    BOOL drawn = TextOutA(dc, row.x, row.y, row.text, static_cast<int>(std::strlen(row.text)));
    POINT after{};
    GetCurrentPositionEx(dc, &after);
    surface->ReleaseDC(dc);
    // Where ink and paper went: the columns and rows of the changed pixels.
    std::string digest = Digest(surface);
    int32_t left = kWidth, top = kHeight, inks = 0, papers = 0;
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        char c = digest[static_cast<size_t>(y * (kWidth + 1) + x)];
        if (c == '.') continue;
        left = std::min(left, x);
        top = std::min(top, y);
        inks += c == 'p';
        papers += c == 'b';
      }
    // Opaque text fills its cells from the reference point on; transparent
    // text's first pixel depends on the glyphs.
    const int32_t x0 = row.align == TA_UPDATECP ? 2 : row.x,
                  y0 = row.align == TA_UPDATECP ? 1 : row.y;
    const std::string where = top == kHeight            ? "nowhere"
                              : row.mode == OPAQUE      ? Printed("from (%d, %d)", left, top)
                              : left >= x0 && top >= y0 ? "right of and below the reference point"
                                                        : "elsewhere";
    Line(
        "TextOutA %s %s at (%d, %d) \"%s\" = %d, align was %u, position moved (%s, %d), drawn %s, "
        "ink %s, paper %s",
        row.align == TA_UPDATECP ? "TA_UPDATECP" : "TA_NOUPDATECP",
        row.mode == OPAQUE ? "OPAQUE" : "TRANSPARENT", row.x, row.y, row.text, drawn, before,
        after.x > 2    ? "right"
        : after.x == 2 ? "0"
                       : "left",
        static_cast<int>(after.y - 1), where.c_str(), inks ? "yes" : "no", papers ? "yes" : "no");
  }
}

std::string Result(HRESULT result) {
  return Printed("%08lX", static_cast<unsigned long>(static_cast<uint32_t>(result)));
}

void BlitTable(IDirectDrawSurface7* dest, IDirectDrawSurface7* source) {
  Paint(source, true);
  DDCOLORKEY key{0x030303, 0x030303};  // pattern pixel C
  source->SetColorKey(DDCKEY_SRCBLT, &key);
  dest->SetColorKey(DDCKEY_SRCBLT, &key);
  enum Copy { kFast, kFastKeyed, kBlt, kBltKeyed };
  const RECT all{0, 0, kSourceWidth, kSourceHeight};
  // The destination's (left, top) for BltFast, its rectangle for Blt; onto
  // itself: the destination painted with the pattern is the source too.
  // Keyed copies onto itself are left out: hosted ones read the whole source
  // first, Wine's read what they have written (a difference ddraw.h lists).
  const struct {
    const char* name;
    bool onto;
    Copy copy;
    RECT to, from;
  } rows[] = {
      {"BltFast", false, kFast, {0, 0, 0, 0}, all},
      {"BltFast to the right and bottom edges", false, kFast, {4, 2, 0, 0}, all},
      {"BltFast a column past the right edge", false, kFast, {5, 0, 0, 0}, all},
      {"BltFast a row past the bottom edge", false, kFast, {0, 3, 0, 0}, all},
      {"BltFast past the left edge", false, kFast, {-1, 0, 0, 0}, all},
      {"BltFast a piece of the source", false, kFast, {3, 1, 0, 0}, {1, 1, 5, 3}},
      {"BltFast from past the source's left edge", false, kFast, {3, 1, 0, 0}, {-1, 0, 3, 2}},
      {"BltFast keyed", false, kFastKeyed, {1, 1, 0, 0}, all},
      {"Blt", false, kBlt, {2, 1, 8, 5}, all},
      {"Blt past the left edge", false, kBlt, {-1, 0, 5, 4}, all},
      {"Blt past the right and bottom edges", false, kBlt, {5, 3, 11, 7}, all},
      {"Blt keyed", false, kBltKeyed, {0, 0, 6, 4}, all},
      {"Blt twice the size", false, kBlt, {0, 0, 6, 4}, {0, 0, 3, 2}},
      {"BltFast onto itself right", true, kFast, {2, 0, 0, 0}, {0, 0, 6, 4}},
      {"BltFast onto itself left", true, kFast, {0, 0, 0, 0}, {2, 0, 8, 4}},
      {"BltFast onto itself down", true, kFast, {0, 2, 0, 0}, {0, 0, 10, 4}},
      {"BltFast onto itself up", true, kFast, {0, 0, 0, 0}, {0, 2, 10, 6}},
      {"Blt onto itself down and right", true, kBlt, {2, 2, 10, 6}, {0, 0, 8, 4}},
      {"Blt onto itself up and left", true, kBlt, {0, 0, 8, 4}, {2, 2, 10, 6}},
  };
  for (const auto& row : rows) {
    IDirectDrawSurface7* from = row.onto ? dest : source;
    Paint(dest, row.onto);
    RECT to = row.to, rect = row.from;
    const bool fast = row.copy == kFast || row.copy == kFastKeyed;
    HRESULT result =
        fast ? dest->BltFast(static_cast<DWORD>(to.left), static_cast<DWORD>(to.top), from, &rect,
                             (row.copy == kFastKeyed ? DDBLTFAST_SRCCOLORKEY : 0) | DDBLTFAST_WAIT)
             : dest->Blt(&to, from, &rect, (row.copy == kBltKeyed ? DDBLT_KEYSRC : 0) | DDBLT_WAIT,
                         nullptr);
    Line("%s = %s %s", row.name, Result(result).c_str(), Digest(dest).c_str());
  }
  // A key given as a range of one colour keys that colour. Wider ranges are
  // left out: the hosted platform takes them, Wine refuses them
  // (DDERR_NOCOLORKEYHW), a difference ddraw.h lists. So is a keyed copy
  // after the key is removed: Wine 8 goes on keying by the removed key.
  Paint(dest, false);
  HRESULT keyed = source->SetColorKey(DDCKEY_SRCBLT | kColorSpace, &key);
  HRESULT result = dest->BltFast(1, 1, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  Line("SetColorKey a range of one colour = %s, BltFast keyed = %s %s", Result(keyed).c_str(),
       Result(result).c_str(), Digest(dest).c_str());
  const RECT fills[] = {{1, 1, 4, 3}, {0, 0, kWidth, kHeight}, {8, 4, 11, 6}};
  for (const RECT& r : fills) {
    Paint(dest, false);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = kFill;
    RECT rect = r;
    HRESULT result = dest->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    Line("Blt colour fill %s = %s %s", Text(r).c_str(), Result(result).c_str(),
         Digest(dest).c_str());
  }
}

// ---------------------------------------------------------------- windows

void WindowTable() {
  Line("GetSystemMetrics SM_CXSCREEN %d SM_CYSCREEN %d", GetSystemMetrics(SM_CXSCREEN),
       GetSystemMetrics(SM_CYSCREEN));
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = RuntimeInstance;
  windowClass.lpszClassName = "win32 tables";
  if (RegisterClassA(&windowClass) == 0) ProbeFinish("RegisterClassA failed");
  const struct {
    const char* name;
    DWORD style;
    RECT rect;  // left, top, width, height
  } rows[] = {{"WS_POPUP | WS_VISIBLE", WS_POPUP | WS_VISIBLE, {352, 264, 320, 240}},
              {"WS_POPUP", WS_POPUP, {10, 20, 320, 240}},
              {"WS_CAPTION | WS_VISIBLE", WS_CAPTION | WS_VISIBLE, {100, 50, 320, 240}},
              {"WS_CAPTION", WS_CAPTION, {100, 50, 320, 240}},
              {"0", 0, {100, 50, 320, 240}}};
  for (const auto& row : rows) {
    RECT adjusted{100, 50, 420, 290};
    AdjustWindowRect(&adjusted, row.style, FALSE);
    HWND window = CreateWindowExA(0, "win32 tables", "", row.style, row.rect.left, row.rect.top,
                                  row.rect.right, row.rect.bottom, nullptr, nullptr,
                                  RuntimeInstance, nullptr);
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    // Without WS_CLIPSIBLINGS, which Windows gives popups too and the hosted
    // platform does not (a difference its windows.h lists).
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS;
    Line(
        "%s: AdjustWindowRect %s; CreateWindowExA style %08lX, GetWindowRect %s, "
        "GetClientRect %s",
        row.name, Text(adjusted).c_str(), static_cast<unsigned long>(style), Text(outer).c_str(),
        Text(client).c_str());
    DestroyWindow(window);
  }
  UnregisterClassA("win32 tables", RuntimeInstance);
}

}  // namespace

void GameReset() {}

void GameMain() {
  const char* file = ProbeArgument(1);
  if (file == nullptr) ProbeFinish("usage: win32-tables-probe OUT.txt");
  // Binary, so that lines end alike on every platform.
  out = std::fopen(file, "wb");
  if (out == nullptr) ProbeFinish("cannot write the file");
  FormatTable();
  WindowTable();
  if (ScreenInit() == 0) ProbeFinish("ScreenInit failed");
  if (WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "") == nullptr)
    ProbeFinish("WindowOpen failed");
  if (ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0) == 0)
    ProbeFinish("ScreenOpenWindowed failed");
  IDirectDrawSurface7* surface = SpriteCreate(1, kWidth, kHeight);
  IDirectDrawSurface7* source = SpriteCreate(2, kSourceWidth, kSourceHeight);
  if (surface == nullptr || source == nullptr) ProbeFinish("SpriteCreate failed");
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  if (surface->GetSurfaceDesc(&desc) != DD_OK || desc.ddpfPixelFormat.dwRGBBitCount != 32)
    ProbeFinish("the surfaces are not 32-bit");
  FigureTable(surface);
  TextTable(surface);
  BlitTable(surface, source);
  std::fclose(out);
  ProbeFinish("written");
}
