// Hosted DirectDraw 7: the DirectDraw object, surfaces (blits, colour keys,
// locks, device contexts) and clippers bound to a window, as the SDK's
// <ddraw.h> declares them; windows.h has the basic types and IUnknown. The
// primary surface is the display's desktop: a blit to it, clipped to its
// window, is what the player sees.
//
// Where it deliberately differs from DirectDraw:
// - windowed only, with 32-bit XRGB surfaces in ordinary memory that are
//   never lost; Blt stretches by nearest neighbour;
// - a source colour key may be a range (DDCKEY_COLORSPACE), where drivers
//   without the capability refuse it (DDERR_NOCOLORKEYHW);
// - a keyed copy of a surface onto itself reads the whole source before it
//   writes, as unkeyed copies do everywhere (Wine's keyed copy reads pixels
//   it has already written).
#pragma once

#include "platform/hosted/windows.h"

#define DD_OK S_OK
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DDERR_INVALIDOBJECT ((HRESULT)0x88760082)
#define DDERR_INVALIDRECT ((HRESULT)0x88760096)
#define DDERR_NOCOOPERATIVELEVELSET ((HRESULT)0x887600D4)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AE)
#define DDERR_SURFACELOST ((HRESULT)0x887601C2)
#define DDERR_NOTLOCKED ((HRESULT)0x88760248)
#define DDERR_CANTCREATEDC ((HRESULT)0x8876024C)
#define DDERR_DCALREADYCREATED ((HRESULT)0x8876026C)
#define DDERR_NODC ((HRESULT)0x8876025A)

#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_NORMAL 0x00000008
#define DDSCL_EXCLUSIVE 0x00000010

#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_LPSURFACE 0x00000800
#define DDSD_PIXELFORMAT 0x00001000
#define DDSD_CKSRCBLT 0x00010000

#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_PRIMARYSURFACE 0x00000200
#define DDSCAPS_SYSTEMMEMORY 0x00000800
#define DDSCAPS_3DDEVICE 0x00002000
#define DDSCAPS_VIDEOMEMORY 0x00004000

#define DDPF_RGB 0x00000040

#define DDBLT_COLORFILL 0x00000400
#define DDBLT_KEYSRC 0x00008000
#define DDBLT_WAIT 0x01000000

#define DDBLTFAST_SRCCOLORKEY 0x00000001
#define DDBLTFAST_DESTCOLORKEY 0x00000002
#define DDBLTFAST_WAIT 0x00000010

#define DDLOCK_WAIT 0x00000001

#define DDCKEY_DESTBLT 0x00000002
#define DDCKEY_SRCBLT 0x00000008

typedef struct _DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

typedef struct _DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
} DDSCAPS2;

typedef struct _DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
} DDPIXELFORMAT;

typedef struct _DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  union {
    LONG lPitch;
    DWORD dwLinearSize;
  };
  DWORD dwBackBufferCount;
  DWORD dwMipMapCount;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
} DDSURFACEDESC2, *LPDDSURFACEDESC2;

struct IDirectDrawSurface7;

typedef struct _DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  union {
    DWORD dwZDestConst;
    IDirectDrawSurface7* lpDDSZBufferDest;
  };
  DWORD dwZSrcConstBitDepth;
  union {
    DWORD dwZSrcConst;
    IDirectDrawSurface7* lpDDSZBufferSrc;
  };
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  union {
    DWORD dwAlphaDestConst;
    IDirectDrawSurface7* lpDDSAlphaDest;
  };
  DWORD dwAlphaSrcConstBitDepth;
  union {
    DWORD dwAlphaSrcConst;
    IDirectDrawSurface7* lpDDSAlphaSrc;
  };
  union {
    DWORD dwFillColor;
    DWORD dwFillDepth;
    DWORD dwFillPixel;
    IDirectDrawSurface7* lpDDSPattern;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;

struct IDirectDrawClipper : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHWnd(HWND* window) = 0;  // tests only

 protected:
  ~IDirectDrawClipper() = default;
};
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

struct IDirectDrawSurface7 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, IDirectDrawSurface7* source,
                                        LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) = 0;
  virtual HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source,
                                            LPRECT sourceRect, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags,
                                         HANDLE event) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unlock(LPRECT rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;  // tests only
  virtual HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER clipper) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) = 0;  // tests only
  virtual HRESULT STDMETHODCALLTYPE IsLost() = 0;                               // tests only
  virtual HRESULT STDMETHODCALLTYPE Restore() = 0;                              // tests only

 protected:
  ~IDirectDrawSurface7() = default;
};
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

struct IDirectDraw7 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc,
                                                  LPDIRECTDRAWSURFACE7* surface,
                                                  IUnknown* outer) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper,
                                                  IUnknown* outer) = 0;

 protected:
  ~IDirectDraw7() = default;
};

// The identifier of DirectDraw 7 that the runtime names, as the SDK's import
// library (dxguid) provides it.
extern const IID IID_IDirectDraw7;

// Exported by the built-in module "DDRAW.DLL"; reached through GetProcAddress.
HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer);
