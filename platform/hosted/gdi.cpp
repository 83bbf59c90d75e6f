// Hosted GDI: device contexts over 32-bit XRGB memory, pens, brushes, stock
// objects, rectangles, ellipses, pixels and text in the built-in bitmap font
// (font.h).
//
// Every GDI object lives in one table keyed by its handle value. Handle values
// are never reused, so a stale or made-up handle is simply not found and the
// call fails the way Win32 documents it, instead of touching memory.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/hosted/font.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"

namespace hosted {
namespace {

// SetTextAlign's failure value on Win32.
constexpr UINT kGdiError = 0xFFFFFFFF;

// Ellipses are rasterised row by row; boxes wider or taller than this are
// refused rather than walked for seconds (GDI's 16-bit coordinate range).
constexpr int64_t kMaxEllipseSide = 65536;

enum class Kind : uint8_t { kPen = 1, kBrush, kFont, kDeviceContext };

struct DeviceContext {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;  // bytes
  HGDIOBJ pen;
  HGDIOBJ brush;
  HGDIOBJ font;
  COLORREF textColour;
  COLORREF backgroundColour;
  int backgroundMode;
  int mix;  // ROP2
  UINT textAlign;
  POINT position;
};

struct GdiObject {
  Kind kind;
  bool stock;
  bool null;       // PS_NULL pen, BS_NULL brush: draws nothing
  uint32_t pixel;  // pen or brush colour as 0x00RRGGBB
  DeviceContext dc;
};

struct GdiState {
  std::unordered_map<uintptr_t, GdiObject> objects;
  // The last object looked up: the cave's read-back asks for the same
  // device context hundreds of times a frame. Map nodes never move, so the
  // pointer stays valid until that object is erased.
  uintptr_t cachedHandle;
  GdiObject* cachedObject;
  uintptr_t nextSerial;
  HGDIOBJ stock[SYSTEM_FONT + 1];
  bool ready;
};

// COLORREF is 0x00BBGGRR, the pixel memory 0x00RRGGBB: swapping red and
// blue converts either way. The top byte (palette flags) has no meaning here.
uint32_t SwapRedBlue(uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

HGDIOBJ AddObject(GdiState& state, const GdiObject& object) {
  uintptr_t value = (state.nextSerial++ << 4) | static_cast<uintptr_t>(object.kind);
  state.objects.emplace(value, object);
  return reinterpret_cast<HGDIOBJ>(value);
}

HGDIOBJ AddStock(GdiState& state, Kind kind, bool null, COLORREF colour) {
  GdiObject object{};
  object.kind = kind;
  object.stock = true;
  object.null = null;
  object.pixel = SwapRedBlue(colour);
  return AddObject(state, object);
}

void Forget(GdiState& state, uintptr_t handle) {
  if (state.cachedHandle == handle) {
    state.cachedHandle = 0;
    state.cachedObject = nullptr;
  }
  state.objects.erase(handle);
}

void MakeStockObjects(GdiState& state) {
  state.objects.clear();
  state.cachedHandle = 0;
  state.cachedObject = nullptr;
  state.nextSerial = 0x100;
  state.ready = true;
  for (HGDIOBJ& slot : state.stock) slot = nullptr;
  state.stock[WHITE_BRUSH] = AddStock(state, Kind::kBrush, false, RGB(255, 255, 255));
  state.stock[LTGRAY_BRUSH] = AddStock(state, Kind::kBrush, false, RGB(192, 192, 192));
  state.stock[GRAY_BRUSH] = AddStock(state, Kind::kBrush, false, RGB(128, 128, 128));
  state.stock[DKGRAY_BRUSH] = AddStock(state, Kind::kBrush, false, RGB(64, 64, 64));
  state.stock[BLACK_BRUSH] = AddStock(state, Kind::kBrush, false, RGB(0, 0, 0));
  state.stock[NULL_BRUSH] = AddStock(state, Kind::kBrush, true, 0);
  state.stock[WHITE_PEN] = AddStock(state, Kind::kPen, false, RGB(255, 255, 255));
  state.stock[BLACK_PEN] = AddStock(state, Kind::kPen, false, RGB(0, 0, 0));
  state.stock[NULL_PEN] = AddStock(state, Kind::kPen, true, 0);
  state.stock[SYSTEM_FONT] = AddStock(state, Kind::kFont, false, 0);
}

// GDI is usable before any process start (tools, tests that only draw), so
// the stock objects are made on first use as well as at every reset.
// A namespace-scope object, not a function-local static: the lookup runs for
// every pixel the cave reads back, and a local static pays for its guard.
GdiState gdiState;

GdiState& State() {
  if (!gdiState.ready) MakeStockObjects(gdiState);
  return gdiState;
}

GdiObject* Find(const void* handle) {
  GdiState& state = State();
  uintptr_t key = reinterpret_cast<uintptr_t>(handle);
  if (key != 0 && key == state.cachedHandle) return state.cachedObject;
  auto found = state.objects.find(key);
  if (found == state.objects.end()) return nullptr;
  state.cachedHandle = key;
  state.cachedObject = &found->second;
  return state.cachedObject;
}

GdiObject* Find(const void* handle, Kind kind) {
  GdiObject* object = Find(handle);
  return object && object->kind == kind ? object : nullptr;
}

DeviceContext* FindDc(HDC dc) {
  GdiObject* object = Find(dc, Kind::kDeviceContext);
  return object ? &object->dc : nullptr;
}

// ---------------------------------------------------------------- pixels

// The 16 binary raster operations: R2_x - 1 is a truth table indexed by
// (pen bit << 1) | destination bit, applied to every bit of the colour.
uint32_t Mix(int mix, uint32_t pen, uint32_t destination) {
  unsigned table = static_cast<unsigned>(mix - 1);
  uint32_t result = 0;
  if (table & 1) result |= ~pen & ~destination;
  if (table & 2) result |= ~pen & destination;
  if (table & 4) result |= pen & ~destination;
  if (table & 8) result |= pen & destination;
  return result & 0xFFFFFF;
}

uint32_t* PixelAt(const DeviceContext& dc, int64_t x, int64_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dc.pixels) + y * dc.pitch) + x;
}

bool Inside(const DeviceContext& dc, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < dc.width && y < dc.height;
}

// Columns left ... right (inclusive) of row y, clipped to the memory, mixed
// with `pixel` by the DC's raster operation.
void MixSpan(const DeviceContext& dc, int64_t left, int64_t right, int64_t y, uint32_t pixel) {
  if (y < 0 || y >= dc.height) return;
  if (left < 0) left = 0;
  if (right >= dc.width) right = dc.width - 1;
  if (left > right) return;
  uint32_t* p = PixelAt(dc, left, y);
  uint32_t* end = p + (right - left + 1);
  if (dc.mix == R2_COPYPEN) {
    for (; p != end; ++p) *p = pixel;
  } else {
    for (; p != end; ++p) *p = Mix(dc.mix, pixel, *p & 0xFFFFFF);
  }
}

// Fills the inclusive box (left, top) ... (right, bottom).
void MixBox(const DeviceContext& dc, int64_t left, int64_t top, int64_t right, int64_t bottom,
            uint32_t pixel) {
  if (top < 0) top = 0;
  if (bottom >= dc.height) bottom = dc.height - 1;
  for (int64_t y = top; y <= bottom; ++y) MixSpan(dc, left, right, y, pixel);
}

const GdiObject* SelectedPen(const DeviceContext& dc) {
  const GdiObject* pen = Find(dc.pen, Kind::kPen);
  return pen && !pen->null ? pen : nullptr;
}

const GdiObject* SelectedBrush(const DeviceContext& dc) {
  const GdiObject* brush = Find(dc.brush, Kind::kBrush);
  return brush && !brush->null ? brush : nullptr;
}

// Win32 accepts the corners in either order.
void Normalise(int64_t* left, int64_t* top, int64_t* right, int64_t* bottom) {
  if (*left > *right) std::swap(*left, *right);
  if (*top > *bottom) std::swap(*top, *bottom);
}

// A rectangle covering columns left ... right - 1 and rows top ... bottom - 1:
// the one-pixel outline in the pen along the outermost ones, the brush inside.
// Without a pen the fill is one pixel smaller in each direction, as on Win32;
// a 1 x 1 figure with a pen draws nothing, as on Win32.
void DrawRectangle(const DeviceContext& dc, int64_t left, int64_t top, int64_t right,
                   int64_t bottom) {
  Normalise(&left, &top, &right, &bottom);
  if (left == right || top == bottom) return;
  const GdiObject* pen = SelectedPen(dc);
  const GdiObject* brush = SelectedBrush(dc);
  if (pen == nullptr) {
    if (brush) MixBox(dc, left, top, right - 2, bottom - 2, brush->pixel);
    return;
  }
  if (brush) MixBox(dc, left + 1, top + 1, right - 2, bottom - 2, brush->pixel);
  if (right - left == 1 && bottom - top == 1) return;
  // Each outline pixel is mixed once, so R2_NOT inverts the frame once.
  MixSpan(dc, left, right - 1, top, pen->pixel);
  if (bottom - 1 > top) MixSpan(dc, left, right - 1, bottom - 1, pen->pixel);
  // Only the rows of the memory are walked: a box can reach far past them.
  const int64_t firstRow = std::max<int64_t>(top + 1, 0);
  const int64_t endRow = std::min<int64_t>(bottom - 1, dc.height);
  for (int64_t y = firstRow; y < endRow; ++y) {
    MixSpan(dc, left, left, y, pen->pixel);
    if (right - 1 > left) MixSpan(dc, right - 1, right - 1, y, pen->pixel);
  }
}

// The outline of the ellipse inscribed in a width x height pixel box, as
// runs of its lower-right quadrant: for box row height / 2 + i, the outline
// covers box columns inner[i] ... outer[i]; the other quadrants are mirror
// images. Midpoint error stepping after A. Zingl's ellipse-in-rectangle
// algorithm: for circles it gives the same pixels as the Win32 GDI the tests
// compare with (tests/gdi), for the game's radii 0 ... 10 and beyond.
void EllipseQuadrant(int64_t width, int64_t height, std::vector<int64_t>* inner,
                     std::vector<int64_t>* outer) {
  int64_t rows = height - height / 2;
  inner->assign(static_cast<size_t>(rows), -1);
  outer->assign(static_cast<size_t>(rows), -1);
  const int64_t a = width - 1;
  const int64_t b = height - 1;
  const int64_t aStep = 8 * a * a;
  const int64_t bStep = 8 * b * b;
  int64_t dx = 4 * b * b * (1 - a);
  int64_t dy = 4 * a * a * (1 + b % 2);
  int64_t err = dx + dy + a * a * (b % 2);
  int64_t x = a;
  int64_t y = height / 2;
  while (x >= width / 2 && y < height) {
    size_t row = static_cast<size_t>(y - height / 2);
    if ((*outer)[row] < 0) (*outer)[row] = x;
    (*inner)[row] = x;
    int64_t e2 = 2 * err;
    if (e2 >= dx) {
      --x;
      dx += bStep;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += aStep;
      err += dy;
    }
  }
  // Tall thin ellipses run out of columns before their last rows; the tips
  // go on straight down the centre so that the figure meets its box.
  for (int64_t row = 0; row < rows; ++row) {
    if ((*outer)[static_cast<size_t>(row)] >= 0) continue;
    (*outer)[static_cast<size_t>(row)] = (*inner)[static_cast<size_t>(row)] = width / 2;
  }
}

// The ellipse inscribed in columns left ... right - 1, rows top ... bottom - 1.
// Each row's whole span is filled with the brush first and the outline drawn
// over it, so with R2_NOT the outline is inverted twice, as on Win32. Boxes of
// 2 pixels or less in either direction are drawn as rectangles, as on Win32.
bool DrawEllipse(const DeviceContext& dc, int64_t left, int64_t top, int64_t right,
                 int64_t bottom) {
  Normalise(&left, &top, &right, &bottom);
  int64_t width = right - left;
  int64_t height = bottom - top;
  if (width == 0 || height == 0) return true;
  if (width <= 2 || height <= 2) {
    DrawRectangle(dc, left, top, right, bottom);
    return true;
  }
  if (width > kMaxEllipseSide || height > kMaxEllipseSide) return false;
  std::vector<int64_t> inner, outer;
  EllipseQuadrant(width, height, &inner, &outer);
  const GdiObject* pen = SelectedPen(dc);
  const GdiObject* brush = SelectedBrush(dc);
  auto drawRow = [&](int64_t y, int64_t in, int64_t out) {
    // Box columns of the right run; the left run mirrors it.
    int64_t rightInner = left + in, rightOuter = left + out;
    int64_t leftOuter = left + (width - 1 - out), leftInner = left + (width - 1 - in);
    if (brush) MixSpan(dc, leftOuter, rightOuter, y, brush->pixel);
    if (pen == nullptr) return;
    if (leftInner >= rightInner) {
      MixSpan(dc, leftOuter, rightOuter, y, pen->pixel);
    } else {
      MixSpan(dc, leftOuter, leftInner, y, pen->pixel);
      MixSpan(dc, rightInner, rightOuter, y, pen->pixel);
    }
  };
  for (size_t i = 0; i < inner.size(); ++i) {
    int64_t lower = top + height / 2 + static_cast<int64_t>(i);
    int64_t upper = top + (height - 1 - (height / 2 + static_cast<int64_t>(i)));
    drawRow(lower, inner[i], outer[i]);
    if (upper != lower) drawRow(upper, inner[i], outer[i]);
  }
  return true;
}

// One character cell with its top-left corner at (x, y): glyph pixels in the
// text colour, the rest of the cell in the background colour unless the mode
// is TRANSPARENT. The raster operation does not apply to text.
void DrawCharacter(const DeviceContext& dc, int64_t x, int64_t y, unsigned char c) {
  const uint8_t* glyph = Glyph(c);
  uint32_t ink = SwapRedBlue(dc.textColour);
  uint32_t paper = SwapRedBlue(dc.backgroundColour);
  bool opaque = dc.backgroundMode == OPAQUE;
  for (int32_t row = 0; row < kFontCellHeight; ++row) {
    int32_t glyphRow = row - kGlyphTop;
    uint8_t bits = glyphRow >= 0 && glyphRow < kGlyphRows ? glyph[glyphRow] : 0;
    for (int32_t column = 0; column < kFontCellWidth; ++column) {
      int32_t glyphColumn = column - kGlyphLeft;
      bool set = glyphColumn >= 0 && glyphColumn < kGlyphWidth &&
                 ((bits >> (kGlyphWidth - 1 - glyphColumn)) & 1);
      if (!set && !opaque) continue;
      if (!Inside(dc, x + column, y + row)) continue;
      *PixelAt(dc, x + column, y + row) = set ? ink : paper;
    }
  }
}

// What the Set... calls of a device context attribute do: `value` replaces
// the attribute and the old one is returned; `failed` when the device context
// is unknown or the value not `valid`.
template <typename Value>
Value Exchange(HDC dc, Value DeviceContext::*attribute, std::type_identity_t<Value> value,
               bool valid, std::type_identity_t<Value> failed) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr || !valid) return failed;
  return std::exchange(context->*attribute, value);
}

}  // namespace

void ResetGdi() { MakeStockObjects(State()); }

HDC CreateMemoryDC(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) {
  if (pixels == nullptr || width <= 0 || height <= 0 || pitch % 4 != 0 ||
      pitch < static_cast<int64_t>(width) * 4)
    return nullptr;
  GdiState& state = State();
  GdiObject object{};
  object.kind = Kind::kDeviceContext;
  DeviceContext& dc = object.dc;
  dc.pixels = pixels;
  dc.width = width;
  dc.height = height;
  dc.pitch = pitch;
  // What a fresh Win32 device context brings.
  dc.pen = state.stock[BLACK_PEN];
  dc.brush = state.stock[WHITE_BRUSH];
  dc.font = state.stock[SYSTEM_FONT];
  dc.textColour = RGB(0, 0, 0);
  dc.backgroundColour = RGB(255, 255, 255);
  dc.backgroundMode = OPAQUE;
  dc.mix = R2_COPYPEN;
  dc.textAlign = TA_NOUPDATECP;
  dc.position = {0, 0};
  return static_cast<HDC>(AddObject(state, object));
}

void DeleteMemoryDC(HDC dc) {
  if (FindDc(dc)) Forget(State(), reinterpret_cast<uintptr_t>(dc));
}

}  // namespace hosted

using hosted::Find;
using hosted::FindDc;
using hosted::GdiObject;
using hosted::Kind;

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  GdiObject object{};
  object.kind = Kind::kBrush;
  object.pixel = hosted::SwapRedBlue(colour);
  return static_cast<HBRUSH>(hosted::AddObject(hosted::State(), object));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr) return nullptr;
  if (brush->lbStyle == BS_SOLID) return CreateSolidBrush(brush->lbColor);
  if (brush->lbStyle != BS_NULL) return nullptr;  // hatches and patterns are not offered
  GdiObject object{};
  object.kind = Kind::kBrush;
  object.null = true;
  return static_cast<HBRUSH>(hosted::AddObject(hosted::State(), object));
}

// Every pen draws one pixel wide; dashed styles draw solid.
HPEN WINAPI CreatePen(int style, int, COLORREF colour) {
  if (style < PS_SOLID || style > 6) return nullptr;  // PS_SOLID ... PS_INSIDEFRAME
  GdiObject object{};
  object.kind = Kind::kPen;
  object.null = style == PS_NULL;
  object.pixel = hosted::SwapRedBlue(colour);
  return static_cast<HPEN>(hosted::AddObject(hosted::State(), object));
}

HGDIOBJ WINAPI GetStockObject(int index) {
  if (index < 0 || index > SYSTEM_FONT) return nullptr;
  return hosted::State().stock[index];
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  hosted::DeviceContext* context = FindDc(dc);
  GdiObject* selected = Find(object);
  if (context == nullptr || selected == nullptr) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (selected->kind) {
    case Kind::kPen:
      slot = &context->pen;
      break;
    case Kind::kBrush:
      slot = &context->brush;
      break;
    case Kind::kFont:
      slot = &context->font;
      break;
    case Kind::kDeviceContext:
      return nullptr;
  }
  HGDIOBJ previous = *slot;
  *slot = object;
  return previous;
}

// Stock objects are never deleted (and deleting one succeeds, as on Win32);
// an object still selected into a device context is refused, as documented.
BOOL WINAPI DeleteObject(HGDIOBJ object) {
  GdiObject* found = Find(object);
  if (found == nullptr || found->kind == Kind::kDeviceContext) return FALSE;
  if (found->stock) return TRUE;
  for (const auto& [handle, other] : hosted::State().objects) {
    if (other.kind != Kind::kDeviceContext) continue;
    if (other.dc.pen == object || other.dc.brush == object || other.dc.font == object) return FALSE;
  }
  hosted::Forget(hosted::State(), reinterpret_cast<uintptr_t>(object));
  return TRUE;
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr) return FALSE;
  hosted::DrawRectangle(*context, left, top, right, bottom);
  return TRUE;
}

BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr) return FALSE;
  return hosted::DrawEllipse(*context, left, top, right, bottom) ? TRUE : FALSE;
}

BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF colour) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || !hosted::Inside(*context, x, y)) return FALSE;
  *hosted::PixelAt(*context, x, y) = hosted::SwapRedBlue(colour);
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || !hosted::Inside(*context, x, y)) return CLR_INVALID;
  return hosted::SwapRedBlue(*hosted::PixelAt(*context, x, y));
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr) return FALSE;
  if (previous) *previous = context->position;
  context->position = {x, y};
  return TRUE;
}

BOOL WINAPI GetCurrentPositionEx(HDC dc, LPPOINT position) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || position == nullptr) return FALSE;
  *position = context->position;
  return TRUE;
}

// Text is drawn with its cell's top-left corner at the reference point; with
// TA_UPDATECP the reference point is the current position, which then moves
// right by the text's width. Other alignment bits are kept but not applied.
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  bool updateCp = (context->textAlign & TA_UPDATECP) != 0;
  int64_t left = updateCp ? context->position.x : x;
  int64_t top = updateCp ? context->position.y : y;
  bool rowsVisible = top < context->height && top + hosted::kFontCellHeight > 0;
  for (int i = 0; rowsVisible && i < length; ++i) {
    int64_t cell = left + static_cast<int64_t>(i) * hosted::kFontCellWidth;
    if (cell >= context->width) break;  // the rest is clipped too
    if (cell + hosted::kFontCellWidth <= 0) continue;
    hosted::DrawCharacter(*context, cell, top, static_cast<unsigned char>(text[i]));
  }
  if (updateCp) {
    const int64_t width = static_cast<int64_t>(length) * hosted::kFontCellWidth;
    context->position.x = hosted::WrapAdd(context->position.x, static_cast<LONG>(width));
  }
  return TRUE;
}

UINT WINAPI SetTextAlign(HDC dc, UINT align) {
  return hosted::Exchange(dc, &hosted::DeviceContext::textAlign, align, true, hosted::kGdiError);
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
  return hosted::Exchange(dc, &hosted::DeviceContext::textColour, colour, true, CLR_INVALID);
}

int WINAPI SetBkMode(HDC dc, int mode) {
  return hosted::Exchange(dc, &hosted::DeviceContext::backgroundMode, mode,
                          mode == TRANSPARENT || mode == OPAQUE, 0);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
  return hosted::Exchange(dc, &hosted::DeviceContext::backgroundColour, colour, true, CLR_INVALID);
}

int WINAPI SetROP2(HDC dc, int mode) {
  return hosted::Exchange(dc, &hosted::DeviceContext::mix, mode,
                          mode >= R2_BLACK && mode <= R2_WHITE, 0);
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr) return 0;
  switch (index) {
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case HORZRES:
      return context->width;
    case VERTRES:
      return context->height;
    default:
      return 0;
  }
}
