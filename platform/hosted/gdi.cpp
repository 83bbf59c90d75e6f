// Hosted GDI: device contexts over 32-bit XRGB memory, pens, brushes, stock
// objects and what is selected into a device context. The pixels of
// rectangles, ellipses and text in the built-in bitmap font (font.h) are drawn
// by the rasteriser (raster.h) with the colours resolved here.
//
// Every GDI object lives in one table keyed by its handle value. Handle values
// are never reused, so a stale or made-up handle is simply not found and the
// call fails the way Win32 documents it, instead of touching memory.
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "platform/hosted/font.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"
#include "platform/hosted/raster.h"

namespace hosted {
namespace {

// SetTextAlign's failure value on Win32.
constexpr UINT kGdiError = 0xFFFFFFFF;

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

// ---------------------------------------------------------------- drawing

const GdiObject* SelectedPen(const DeviceContext& dc) {
  const GdiObject* pen = Find(dc.pen, Kind::kPen);
  return pen && !pen->null ? pen : nullptr;
}

const GdiObject* SelectedBrush(const DeviceContext& dc) {
  const GdiObject* brush = Find(dc.brush, Kind::kBrush);
  return brush && !brush->null ? brush : nullptr;
}

// The memory of a device context, as the rasteriser draws into it.
Canvas CanvasOf(const DeviceContext& dc) {
  return Canvas{dc.pixels, dc.width, dc.height, dc.pitch};
}

// The selected pen and brush as pixels, and the raster operation.
Paint PaintOf(const DeviceContext& dc) {
  Paint paint{};
  if (const GdiObject* pen = SelectedPen(dc)) paint.pen = pen->pixel;
  if (const GdiObject* brush = SelectedBrush(dc)) paint.brush = brush->pixel;
  paint.mix = dc.mix;
  return paint;
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

using hosted::CanvasOf;
using hosted::Find;
using hosted::FindDc;
using hosted::GdiObject;
using hosted::Kind;
using hosted::PaintOf;

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
  hosted::DrawRectangle(CanvasOf(*context), PaintOf(*context), left, top, right, bottom);
  return TRUE;
}

BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr) return FALSE;
  return hosted::DrawEllipse(CanvasOf(*context), PaintOf(*context), left, top, right, bottom)
             ? TRUE
             : FALSE;
}

BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF colour) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || !hosted::Inside(CanvasOf(*context), x, y)) return FALSE;
  *hosted::PixelAt(CanvasOf(*context), x, y) = hosted::SwapRedBlue(colour);
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  hosted::DeviceContext* context = FindDc(dc);
  if (context == nullptr || !hosted::Inside(CanvasOf(*context), x, y)) return CLR_INVALID;
  return hosted::SwapRedBlue(*hosted::PixelAt(CanvasOf(*context), x, y));
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
  hosted::DrawString(
      CanvasOf(*context), left, top, text, length, hosted::SwapRedBlue(context->textColour),
      hosted::SwapRedBlue(context->backgroundColour), context->backgroundMode == OPAQUE);
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
