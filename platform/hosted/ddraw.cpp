// Hosted DirectDraw 7: surfaces in 32-bit XRGB memory, blits (copy, stretch,
// colour fill, colour keys), locks, device contexts and clippers bound to a
// window. The primary surface is the desktop picture: a blit to it is clipped
// to the visible client area of the clipper's window and to the desktop, and
// the display is told which pixels changed. The blits are checked and clipped
// here; the pixels are moved by pixels.h.
//
// Objects live as com.h says: a call on a released one answers
// DDERR_INVALIDOBJECT.
#include "platform/hosted/ddraw.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/hosted/com.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"
#include "platform/hosted/pixels.h"

namespace hosted {
namespace {

constexpr GUID kIidDirectDrawSurface7 = {
    0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr GUID kIidDirectDrawClipper = {
    0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

// Results and flags of the real DirectDraw that the shared header leaves out
// because the runtime never needs to name them.
constexpr HRESULT kErrInvalidCaps = static_cast<HRESULT>(0x88760064);
constexpr HRESULT kErrInvalidPixelFormat = static_cast<HRESULT>(0x88760091);
constexpr HRESULT kErrNoColorKey = static_cast<HRESULT>(0x887600D7);
constexpr HRESULT kErrNoExclusiveMode = static_cast<HRESULT>(0x887600E1);
constexpr HRESULT kErrBltFastCantClip = static_cast<HRESULT>(0x8876023E);
constexpr HRESULT kClassNoAggregation = static_cast<HRESULT>(0x80040110);
constexpr DWORD kColorKeySpace = 0x00000001;  // DDCKEY_COLORSPACE: the key is a range

constexpr uint32_t kMaxSide = 32767;
constexpr size_t kMaxSurfaceBytes = size_t{512} << 20;
constexpr int32_t kPitchAlignment = 64;  // bytes, as display drivers align rows

// A colour key: one value, or a range with DDCKEY_COLORSPACE (KeyMatches in
// pixels.h).
struct Key {
  bool set;
  DDCOLORKEY value;
};

template <typename Interface, const IID& kIid>
using DirectDrawObject = ComObject<Interface, kIid, DDERR_INVALIDPARAMS, DDERR_INVALIDOBJECT>;

class Clipper;
class Surface;
class DirectDraw;

struct DirectDrawState {
  ComShells<DirectDraw, IDirectDraw7> objects;
  ComShells<Surface, IDirectDrawSurface7> surfaces;
  ComShells<Clipper, IDirectDrawClipper> clippers;
  // Snapshot of a source rectangle for copies of a surface onto itself.
  std::vector<uint32_t> scratch;
};

// Defined below the classes, which its destruction needs complete.
DirectDrawState& State();

// ------------------------------------------------------------------ clipper
class Clipper final : public DirectDrawObject<IDirectDrawClipper, kIidDirectDrawClipper> {
 public:
  HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (flags != 0 || (window != nullptr && !IsWindow(window))) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
  }
  HRESULT STDMETHODCALLTYPE GetHWnd(HWND* window) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (window == nullptr) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
  }

  HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// ------------------------------------------------------------------ surface
class Surface final : public DirectDrawObject<IDirectDrawSurface7, kIidDirectDrawSurface7> {
 public:
  // An off-screen surface with its own zeroed memory, or the primary surface
  // over the desktop picture (pixels null).
  Surface(DWORD caps, int32_t width, int32_t height, uint32_t* pixels, int32_t pitch)
      : caps_(caps), width_(width), height_(height), pitch_(pitch), memory_(pixels) {}
  ~Surface() { std::free(memory_); }

  HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect,
                                DWORD flags, LPDDBLTFX fx) override;
  HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source,
                                    LPRECT sourceRect, DWORD flags) override;

  HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    RECT area = Bounds();
    if (rect != nullptr) {
      if (EmptyRect(*rect) || !Inside(*rect, Bounds())) return DDERR_INVALIDPARAMS;
      area = *rect;
    }
    if (Busy()) return DDERR_SURFACEBUSY;
    locked_ = true;
    lockedArea_ = area;
    Describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = Row(area.top) + area.left;
    return DD_OK;
  }
  HRESULT STDMETHODCALLTYPE Unlock(LPRECT) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    // Whatever was written through the lock is on the desktop now.
    if (Primary()) PresentArea(lockedArea_);
    return DD_OK;
  }

  HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (dc_ != nullptr) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    HDC made = CreateMemoryDC(Row(0), width_, height_, pitch_);
    if (made == nullptr) return DDERR_CANTCREATEDC;
    dc_ = made;
    *dc = made;
    return DD_OK;
  }
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (dc_ == nullptr) return DDERR_NODC;
    if (dc != dc_) return DDERR_INVALIDPARAMS;
    DeleteMemoryDC(dc_);
    dc_ = nullptr;
    if (Primary()) PresentArea(Bounds());
    return DD_OK;
  }

  HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (flags & ~(DDCKEY_SRCBLT | DDCKEY_DESTBLT | kColorKeySpace)) return DDERR_INVALIDPARAMS;
    DWORD kind = flags & (DDCKEY_SRCBLT | DDCKEY_DESTBLT);
    if (kind != DDCKEY_SRCBLT && kind != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
    Key& target = kind == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
    if (key == nullptr) {  // no key: removes the one set
      target = Key{};
      return DD_OK;
    }
    target.set = true;
    target.value = *key;
    // Without DDCKEY_COLORSPACE the key is the low value alone.
    if (!(flags & kColorKeySpace) || key->dwColorSpaceHighValue < key->dwColorSpaceLowValue)
      target.value.dwColorSpaceHighValue = key->dwColorSpaceLowValue;
    return DD_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (key == nullptr || (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT))
      return DDERR_INVALIDPARAMS;
    const Key& source = flags == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
    if (!source.set) return kErrNoColorKey;
    *key = source.value;
    return DD_OK;
  }

  HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER clipper) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    Clipper* attached = nullptr;
    if (clipper != nullptr) {
      attached = State().clippers.Live(clipper);
      if (attached == nullptr) return DDERR_INVALIDPARAMS;
      attached->AddRef();
    }
    if (clipper_ != nullptr) clipper_->Release();
    clipper_ = attached;
    return DD_OK;
  }

  HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    Describe(desc);
    return DD_OK;
  }

  // Hosted surfaces live in ordinary memory and are never lost.
  HRESULT STDMETHODCALLTYPE IsLost() override { return Live() ? DD_OK : DDERR_INVALIDOBJECT; }
  HRESULT STDMETHODCALLTYPE Restore() override { return Live() ? DD_OK : DDERR_INVALIDOBJECT; }

  void SetSourceKey(const DDCOLORKEY& key) {
    sourceKey_.set = true;
    sourceKey_.value = key;
    sourceKey_.value.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
  }

  SurfaceInfo Info() { return SurfaceInfo{Row(0), Width(), Height(), Pitch(), Primary()}; }

  PixelBuffer Pixels() { return PixelBuffer{Row(0), Width(), Height(), Pitch()}; }

 private:
  bool Primary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
  // The desktop picture can be resized by a newly installed display, so the
  // primary surface asks for it each time.
  int32_t Width() const { return Primary() ? Desktop().width : width_; }
  int32_t Height() const { return Primary() ? Desktop().height : height_; }
  int32_t Pitch() const { return Primary() ? Desktop().pitch : pitch_; }
  int32_t Stride() const { return Pitch() / 4; }
  uint32_t* Row(int32_t y) {
    uint32_t* base = Primary() ? Desktop().pixels : memory_;
    return base + static_cast<ptrdiff_t>(y) * Stride();
  }
  RECT Bounds() const { return RECT{0, 0, Width(), Height()}; }
  bool Busy() const { return locked_ || dc_ != nullptr; }
  HWND ClipWindow() const {
    return clipper_ != nullptr && clipper_->Live() ? clipper_->Window() : nullptr;
  }

  // Where a blit may write. An attached clipper lets the destination rectangle
  // reach past the surface, and on the primary surface keeps the blit inside
  // what is visible of its window's client area.
  RECT ClipArea() const {
    RECT bounds = Bounds();
    HWND window = ClipWindow();
    if (!Primary() || window == nullptr) return bounds;
    RECT outer, client;
    if (!IsWindowVisible(window) || !WindowRects(window, &outer, &client)) return RECT{0, 0, 0, 0};
    return Intersect(client, bounds);
  }

  void Present(const RECT& area) {
    NotWaiting();
    CurrentDisplay().Present(ClipWindow(), area);
  }
  void PresentArea(const RECT& area) {
    RECT shown = Intersect(area, ClipArea());
    if (!EmptyRect(shown)) Present(shown);
  }

  void Describe(LPDDSURFACEDESC2 desc) const {
    DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof(DDSURFACEDESC2));
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(Width());
    desc->dwHeight = static_cast<DWORD>(Height());
    desc->lPitch = Pitch();
    desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = 32;
    desc->ddpfPixelFormat.dwRBitMask = 0xFF0000;
    desc->ddpfPixelFormat.dwGBitMask = 0x00FF00;
    desc->ddpfPixelFormat.dwBBitMask = 0x0000FF;
    desc->ddsCaps.dwCaps = caps_;
    if (sourceKey_.set) {
      desc->dwFlags |= DDSD_CKSRCBLT;
      desc->ddckCKSrcBlt = sourceKey_.value;
    }
  }

  void Released() override {
    if (dc_ != nullptr) DeleteMemoryDC(dc_);
    dc_ = nullptr;
    if (clipper_ != nullptr) clipper_->Release();
    clipper_ = nullptr;
    std::free(memory_);
    memory_ = nullptr;
  }

  DWORD caps_;
  int32_t width_;
  int32_t height_;
  int32_t pitch_;
  uint32_t* memory_;  // malloc'd; null for the primary surface
  Clipper* clipper_ = nullptr;
  HDC dc_ = nullptr;
  bool locked_ = false;
  RECT lockedArea_{};
  Key sourceKey_{};
  Key destKey_{};
};

HRESULT Surface::Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect, DWORD flags,
                     LPDDBLTFX fx) {
  if (!Live()) return DDERR_INVALIDOBJECT;
  if (flags & ~(DDBLT_COLORFILL | DDBLT_KEYSRC | DDBLT_WAIT)) return DDERR_UNSUPPORTED;
  if (fx != nullptr && fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;

  RECT dest = destRect != nullptr ? *destRect : Bounds();
  if (EmptyRect(dest)) return DDERR_INVALIDRECT;

  Surface* from = nullptr;
  RECT fromRect{};
  if (flags & DDBLT_COLORFILL) {
    if (fx == nullptr || (flags & DDBLT_KEYSRC)) return DDERR_INVALIDPARAMS;
  } else {
    from = State().surfaces.Live(source);
    if (from == nullptr) return DDERR_INVALIDPARAMS;
    fromRect = sourceRect != nullptr ? *sourceRect : from->Bounds();
    if (EmptyRect(fromRect) || !Inside(fromRect, from->Bounds())) return DDERR_INVALIDRECT;
    if ((flags & DDBLT_KEYSRC) && !from->sourceKey_.set) return kErrNoColorKey;
  }
  if (Busy() || (from != nullptr && from->Busy())) return DDERR_SURFACEBUSY;

  const bool clipped = clipper_ != nullptr && clipper_->Live();
  if (!clipped && !Inside(dest, Bounds())) return DDERR_INVALIDRECT;
  RECT area = Intersect(dest, ClipArea());
  if (EmptyRect(area)) return DD_OK;  // nothing of it is visible

  if (from == nullptr) {
    FillPixels(Pixels(), area, fx->dwFillColor);
  } else {
    CopyPixels(Pixels(), dest, area, from->Pixels(), fromRect,
               (flags & DDBLT_KEYSRC) ? &from->sourceKey_.value : nullptr, nullptr, from == this,
               &State().scratch);
  }
  if (Primary()) Present(area);
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT sourceRect,
                         DWORD flags) {
  if (!Live()) return DDERR_INVALIDOBJECT;
  if (flags & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT))
    return DDERR_INVALIDPARAMS;
  if ((flags & DDBLTFAST_SRCCOLORKEY) && (flags & DDBLTFAST_DESTCOLORKEY))
    return DDERR_INVALIDPARAMS;
  Surface* from = State().surfaces.Live(source);
  if (from == nullptr) return DDERR_INVALIDPARAMS;

  RECT fromRect = sourceRect != nullptr ? *sourceRect : from->Bounds();
  if (EmptyRect(fromRect) || !Inside(fromRect, from->Bounds())) return DDERR_INVALIDRECT;
  // BltFast does no clipping at all: the whole destination must lie inside.
  if (clipper_ != nullptr && clipper_->Live()) return kErrBltFastCantClip;
  const int64_t right = int64_t{x} + (fromRect.right - fromRect.left);
  const int64_t bottom = int64_t{y} + (fromRect.bottom - fromRect.top);
  if (right > Width() || bottom > Height()) return DDERR_INVALIDRECT;
  RECT dest{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(right),
            static_cast<LONG>(bottom)};

  const DDCOLORKEY* sourceKey = nullptr;
  const DDCOLORKEY* destKey = nullptr;
  if (flags & DDBLTFAST_SRCCOLORKEY) {
    if (!from->sourceKey_.set) return kErrNoColorKey;
    sourceKey = &from->sourceKey_.value;
  }
  if (flags & DDBLTFAST_DESTCOLORKEY) {
    if (!destKey_.set) return kErrNoColorKey;
    destKey = &destKey_.value;
  }
  if (Busy() || from->Busy()) return DDERR_SURFACEBUSY;

  CopyPixels(Pixels(), dest, dest, from->Pixels(), fromRect, sourceKey, destKey, from == this,
             &State().scratch);
  if (Primary()) PresentArea(dest);
  return DD_OK;
}

// ------------------------------------------------------------------ DirectDraw
// Surfaces and clippers are objects of their own: they stay usable after the
// DirectDraw object that made them is gone.
class DirectDraw final : public DirectDrawObject<IDirectDraw7, IID_IDirectDraw7> {
 public:
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
    if (!Live()) return DDERR_INVALIDOBJECT;
    const DWORD exclusive = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE;
    if (flags & exclusive) {
      if ((flags & exclusive) != exclusive || (flags & DDSCL_NORMAL) || window == nullptr)
        return DDERR_INVALIDPARAMS;
      return DDERR_UNSUPPORTED;  // the hosted screen is always windowed
    }
    if (!(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    if (window != nullptr && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    levelSet_ = true;
    return DD_OK;
  }

  HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                          IUnknown* outer) override;

  HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper,
                                          IUnknown* outer) override {
    if (clipper == nullptr) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (!Live()) return DDERR_INVALIDOBJECT;
    if (outer != nullptr) return kClassNoAggregation;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    NotWaiting();
    if (CurrentHooks().Fails(FailPoint::kClipper, "", 0, 0)) return DDERR_OUTOFMEMORY;
    *clipper = State().clippers.Make();
    return DD_OK;
  }

 private:
  bool levelSet_ = false;
};

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) {
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!Live()) return DDERR_INVALIDOBJECT;
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (outer != nullptr) return kClassNoAggregation;
  if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;

  const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
  const bool sized = (desc->dwFlags & DDSD_WIDTH) && (desc->dwFlags & DDSD_HEIGHT);
  if (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_BACKBUFFER)) return kErrNoExclusiveMode;
  if (desc->dwFlags & DDSD_BACKBUFFERCOUNT) return kErrNoExclusiveMode;
  if (primary && (caps & DDSCAPS_OFFSCREENPLAIN)) return kErrInvalidCaps;
  if (primary && (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)))
    return DDERR_INVALIDPARAMS;
  if (!primary && !sized) return DDERR_INVALIDPARAMS;
  if (desc->dwFlags & DDSD_PIXELFORMAT) {
    const DDPIXELFORMAT& format = desc->ddpfPixelFormat;
    if (format.dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (!(format.dwFlags & DDPF_RGB) || format.dwRGBBitCount != 32 ||
        format.dwRBitMask != 0xFF0000 || format.dwGBitMask != 0x00FF00 ||
        format.dwBBitMask != 0x0000FF)
      return kErrInvalidPixelFormat;
  }

  NotWaiting();
  ProcessHooks& hooks = CurrentHooks();
  Surface* made = nullptr;
  if (primary) {
    if (hooks.Fails(FailPoint::kPrimarySurface, "", 0, 0)) return DDERR_GENERIC;
    made = State().surfaces.Make(caps, 0, 0, nullptr, 0);
  } else {
    if (desc->dwWidth < 1 || desc->dwWidth > kMaxSide || desc->dwHeight < 1 ||
        desc->dwHeight > kMaxSide)
      return DDERR_INVALIDPARAMS;
    const int32_t width = static_cast<int32_t>(desc->dwWidth);
    const int32_t height = static_cast<int32_t>(desc->dwHeight);
    if ((caps & DDSCAPS_3DDEVICE) && (caps & DDSCAPS_OFFSCREENPLAIN)) {
      if (hooks.Fails(FailPoint::kBackBuffer, "", width, height)) return DDERR_OUTOFMEMORY;
    } else if (hooks.Fails(FailPoint::kSurfaceSize, "", width, height)) {
      return DDERR_OUTOFMEMORY;
    }
    const int32_t pitch = (width * 4 + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment;
    const size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
    if (bytes > kMaxSurfaceBytes) return DDERR_OUTOFMEMORY;
    auto* memory = static_cast<uint32_t*>(std::calloc(bytes, 1));
    if (memory == nullptr) return DDERR_OUTOFMEMORY;
    DWORD described = caps;
    if (!(described & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)))
      described |= DDSCAPS_SYSTEMMEMORY;
    made = State().surfaces.Make(described, width, height, memory, pitch);
  }
  if (desc->dwFlags & DDSD_CKSRCBLT) made->SetSourceKey(desc->ddckCKSrcBlt);
  *surface = made;
  return DD_OK;
}

DirectDrawState& State() {
  static DirectDrawState state;
  return state;
}

}  // namespace

// The device contexts of the last process went with the GDI reset.
void ResetDirectDraw() { State() = {}; }

SurfaceInfo InspectSurface(IDirectDrawSurface7* surface) {
  Surface* live = State().surfaces.Live(surface);
  return live ? live->Info() : SurfaceInfo{};
}

}  // namespace hosted

HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer) {
  using namespace hosted;
  if (object == nullptr) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (!SameGuid(iid, IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
  if (outer != nullptr) return kClassNoAggregation;
  // The hosted platform has one driver, the display's: only the default (null)
  // driver can be asked for.
  if (driver != nullptr) return DDERR_INVALIDPARAMS;
  NotWaiting();
  if (!CurrentDisplay().Available() || CurrentHooks().Fails(FailPoint::kDirectDrawCreate, "", 0, 0))
    return DDERR_GENERIC;
  *object = static_cast<IDirectDraw7*>(State().objects.Make());
  return DD_OK;
}
