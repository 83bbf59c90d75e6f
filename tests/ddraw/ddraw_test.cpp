// The hosted DirectDraw at pixel level: creation and its refusals, copies,
// stretches, fills, colour keys, overlapping copies, locks, device contexts,
// the primary surface clipped to its window, and reference counts.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"

namespace {

IDirectDraw7* MakeDirectDraw() {
  void* object = nullptr;
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), DD_OK);
  auto* directDraw = static_cast<IDirectDraw7*>(object);
  if (directDraw) {
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  }
  return directDraw;
}

DDSURFACEDESC2 Describe(DWORD caps, int width, int height) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = caps;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  return desc;
}

IDirectDrawSurface7* Plain(IDirectDraw7* directDraw, int width, int height) {
  DDSURFACEDESC2 desc = Describe(DDSCAPS_OFFSCREENPLAIN, width, height);
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
  return surface;
}

uint32_t& At(IDirectDrawSurface7* surface, int x, int y) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  return info.pixels[y * (info.pitch / 4) + x];
}

// Every pixel different and none of them 0; returns `surface`.
IDirectDrawSurface7* Pattern(IDirectDrawSurface7* surface) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  for (int y = 0; y < info.height; ++y)
    for (int x = 0; x < info.width; ++x) At(surface, x, y) = 0x10000u + y * 256u + x;
  return surface;
}

std::vector<uint32_t> Snapshot(IDirectDrawSurface7* surface) {
  hosted::SurfaceInfo info = hosted::InspectSurface(surface);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < info.height; ++y)
    for (int x = 0; x < info.width; ++x) pixels.push_back(At(surface, x, y));
  return pixels;
}

void InProcess(const std::function<void(headless::HeadlessDisplay&)>& body) {
  headless::HeadlessDisplay display;
  hosted::RunProcess(
      display, [&] { body(display); }, &display);
}

TEST(HostedDirectDraw, CreationChecksItsArguments) {
  InProcess([](headless::HeadlessDisplay& display) {
    void* object = reinterpret_cast<void*>(1);
    IID other = IID_IDirectDraw7;
    other.Data1 ^= 1;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, other, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
    display.Fail(hosted::FailPoint::kDirectDrawCreate);
    EXPECT_TRUE(FAILED(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr)));
    EXPECT_EQ(object, nullptr);
    display.ClearFailures();

    ASSERT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), DD_OK);
    auto* directDraw = static_cast<IDirectDraw7*>(object);
    void* same = nullptr;
    EXPECT_EQ(directDraw->QueryInterface(IID_IUnknown, &same), S_OK);
    EXPECT_EQ(same, object);
    EXPECT_EQ(directDraw->QueryInterface(other, &same), E_NOINTERFACE);
    EXPECT_EQ(same, nullptr);
    EXPECT_EQ(directDraw->Release(), 1u);

    // No surface before a cooperative level; sizes in every structure.
    DDSURFACEDESC2 desc = Describe(DDSCAPS_OFFSCREENPLAIN, 8, 8);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    desc.dwSize = 124;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, &surface, nullptr), DDERR_INVALIDPARAMS);
    desc = Describe(DDSCAPS_OFFSCREENPLAIN, 0, 8);
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    desc = Describe(DDSCAPS_PRIMARYSURFACE, 8, 8);  // the primary's size is the desktop's
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(directDraw->CreateClipper(0, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->Release(), 0u);
    EXPECT_EQ(directDraw->CreateClipper(0, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DDERR_INVALIDOBJECT);
  });
}

TEST(HostedDirectDraw, EachSurfaceKindCanBeMadeToFail) {
  InProcess([](headless::HeadlessDisplay& display) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    DDSURFACEDESC2 primary;
    std::memset(&primary, 0, sizeof(primary));
    primary.dwSize = sizeof(primary);
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
    DDSURFACEDESC2 back = Describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 320, 240);
    DDSURFACEDESC2 plain = Describe(DDSCAPS_OFFSCREENPLAIN, 320, 240);
    auto made = [&](DDSURFACEDESC2& desc) {
      IDirectDrawSurface7* surface = nullptr;
      HRESULT result = directDraw->CreateSurface(&desc, &surface, nullptr);
      EXPECT_EQ(result == DD_OK, surface != nullptr);
      if (surface) surface->Release();
      return result == DD_OK;
    };
    display.Fail(hosted::FailPoint::kPrimarySurface);
    EXPECT_FALSE(made(primary));
    EXPECT_TRUE(made(back));
    display.ClearFailures();
    display.Fail(hosted::FailPoint::kBackBuffer);
    EXPECT_TRUE(made(primary));
    EXPECT_FALSE(made(back));
    EXPECT_TRUE(made(plain));
    display.ClearFailures();
    // A size fails plain surfaces of that size only, not the back buffer.
    display.FailSurfaceSize(320, 240);
    EXPECT_FALSE(made(plain));
    EXPECT_TRUE(made(back));
    DDSURFACEDESC2 other = Describe(DDSCAPS_OFFSCREENPLAIN, 240, 320);
    EXPECT_TRUE(made(other));
    display.ClearFailures();
    display.Fail(hosted::FailPoint::kClipper);
    IDirectDrawClipper* clipper = reinterpret_cast<IDirectDrawClipper*>(1);
    EXPECT_TRUE(FAILED(directDraw->CreateClipper(0, &clipper, nullptr)));
    EXPECT_EQ(clipper, nullptr);
  });
}

TEST(HostedDirectDraw, SurfacesAreZeroedXrgbMemory) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* surface = Plain(directDraw, 21, 5);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    hosted::SurfaceInfo info = hosted::InspectSurface(surface);
    EXPECT_EQ(desc.lpSurface, info.pixels);
    EXPECT_EQ(desc.dwWidth, 21u);
    EXPECT_EQ(desc.dwHeight, 5u);
    EXPECT_EQ(desc.lPitch, info.pitch);
    EXPECT_GE(desc.lPitch, 84);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0xFF00u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0xFFu);
    for (uint32_t pixel : Snapshot(surface)) ASSERT_EQ(pixel, 0u);
    // A locked surface takes no second lock, no blit and no device context.
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof(fx));
    fx.dwSize = sizeof(fx);
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    RECT outside = {0, 0, 22, 5};
    EXPECT_EQ(surface->Lock(&outside, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    RECT inner = {2, 3, 4, 5};
    ASSERT_EQ(surface->Lock(&inner, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, &At(surface, 2, 3));
    surface->Unlock(nullptr);
  });
}

TEST(HostedDirectDraw, DeviceContextsDrawIntoTheSurface) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* surface = Plain(directDraw, 16, 16);
    EXPECT_EQ(surface->GetDC(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->ReleaseDC(nullptr), DDERR_NODC);
    HDC dc = nullptr, second = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    SetPixelV(dc, 3, 4, RGB(255, 128, 1));
    EXPECT_EQ(At(surface, 3, 4), 0xFF8001u);
    EXPECT_EQ(surface->ReleaseDC(second), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->GetDC(&second), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(second), DD_OK);
  });
}

TEST(HostedDirectDraw, BltCopiesStretchesAndFills) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* source = Pattern(Plain(directDraw, 4, 2));
    IDirectDrawSurface7* dest = Plain(directDraw, 8, 8);
    // Twice as wide and twice as high: every source pixel becomes 2 x 2.
    RECT wide = {0, 0, 8, 4};
    ASSERT_EQ(dest->Blt(&wide, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(At(dest, x, y), At(source, x / 2, y / 2));
    EXPECT_EQ(At(dest, 0, 4), 0u);
    // Down to half: nearest neighbour takes every second column.
    RECT narrow = {0, 6, 2, 7};
    RECT top = {0, 0, 4, 1};
    ASSERT_EQ(dest->Blt(&narrow, source, &top, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(At(dest, 0, 6), At(source, 0, 0));
    EXPECT_EQ(At(dest, 1, 6), At(source, 2, 0));

    DDBLTFX fx;
    std::memset(&fx, 0, sizeof(fx));
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = 0x123456;
    RECT box = {1, 5, 3, 6};
    ASSERT_EQ(dest->Blt(&box, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(At(dest, 1, 5), 0x123456u);
    EXPECT_EQ(At(dest, 2, 5), 0x123456u);
    EXPECT_EQ(At(dest, 3, 5), 0u);
    EXPECT_EQ(At(dest, 1, 4), 0u);
    fx.dwSize = 100;
    EXPECT_EQ(dest->Blt(&box, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dest->Blt(&box, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
    // Without a clipper every rectangle must lie inside its surface.
    RECT past = {6, 6, 9, 8};
    EXPECT_EQ(dest->Blt(&past, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    RECT beyond = {0, 0, 5, 2};
    EXPECT_EQ(dest->Blt(nullptr, source, &beyond, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);

    // A source colour key leaves those pixels out.
    DDCOLORKEY key = {At(source, 1, 0), 0};
    EXPECT_TRUE(FAILED(dest->Blt(nullptr, source, nullptr, DDBLT_KEYSRC, nullptr)));  // no key set
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    DDCOLORKEY read = {};
    EXPECT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &read), DD_OK);
    EXPECT_EQ(read.dwColorSpaceLowValue, key.dwColorSpaceLowValue);
    RECT same = {0, 0, 4, 2};
    ASSERT_EQ(dest->Blt(&same, source, nullptr, 0, nullptr), DD_OK);
    At(dest, 1, 0) = 7;
    ASSERT_EQ(dest->Blt(&same, source, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(At(dest, 1, 0), 7u);
    EXPECT_EQ(At(dest, 2, 0), At(source, 2, 0));
  });
}

// A source key is one value, or with DDCKEY_COLORSPACE every value from its
// low to its high end; only the colour bits of a pixel take part.
TEST(HostedDirectDraw, SourceKeysCoverTheirRangeExactly) {
  constexpr DWORD kColourSpace = 0x1;  // DDCKEY_COLORSPACE
  const uint32_t sources[] = {0x0F, 0x10, 0x15, 0x20, 0x21, 0xFF000015};
  const struct {
    DWORD flags;
    DDCOLORKEY key;
    bool keyedOut[6];
  } cases[] = {
      {DDCKEY_SRCBLT | kColourSpace, {0x10, 0x20}, {false, true, true, true, false, true}},
      {DDCKEY_SRCBLT,
       {0x10, 0x20},
       {false, true, false, false, false, false}},  // the low value alone
      {DDCKEY_SRCBLT | kColourSpace,
       {0x20, 0x10},
       {false, false, false, true, false, false}},  // reversed: low alone
  };
  InProcess([&](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* source = Plain(directDraw, 6, 1);
    IDirectDrawSurface7* dest = Plain(directDraw, 6, 1);
    for (int x = 0; x < 6; ++x) At(source, x, 0) = sources[x];
    for (const auto& c : cases) {
      DDCOLORKEY key = c.key;
      ASSERT_EQ(source->SetColorKey(c.flags, &key), DD_OK);
      for (int x = 0; x < 6; ++x) At(dest, x, 0) = 0x777777;
      ASSERT_EQ(dest->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
      for (int x = 0; x < 6; ++x)
        EXPECT_EQ(At(dest, x, 0), c.keyedOut[x] ? 0x777777u : sources[x])
            << std::hex << sources[x] << " with key " << c.key.dwColorSpaceLowValue << "-"
            << c.key.dwColorSpaceHighValue << " flags " << c.flags;
    }
  });
}

TEST(HostedDirectDraw, BltFastRefusesWhatDoesNotFit) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* source = Pattern(Plain(directDraw, 4, 4));
    IDirectDrawSurface7* dest = Plain(directDraw, 10, 10);
    EXPECT_EQ(dest->BltFast(7, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->BltFast(0, 0xFFFFFFFF, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    RECT beyond = {2, 2, 5, 4};
    EXPECT_EQ(dest->BltFast(0, 0, source, &beyond, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    RECT empty = {2, 2, 2, 4};
    EXPECT_EQ(dest->BltFast(0, 0, source, &empty, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dest->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY),
              DDERR_INVALIDPARAMS);
    EXPECT_TRUE(FAILED(dest->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY)));  // no key
    for (uint32_t pixel : Snapshot(dest)) ASSERT_EQ(pixel, 0u);
    // Exactly at the edge fits.
    EXPECT_EQ(dest->BltFast(6, 6, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(At(dest, 9, 9), At(source, 3, 3));
  });
}

// A copy of a surface onto itself gives what reading the whole source before
// writing gives, whichever way the rectangles overlap, opaque and keyed.
TEST(HostedDirectDraw, OverlappingCopiesReadTheWholeSourceFirst) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* surface = Plain(directDraw, 12, 9);
    DDCOLORKEY key = {0x10000u + 2 * 256 + 5, 0};  // the pattern's pixel (5, 2)
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
    const int shifts[][2] = {{-3, 0}, {3, 0}, {0, -2}, {0, 2}, {2, 1}, {-1, -2}};
    for (DWORD flags : {DDBLTFAST_WAIT, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT}) {
      for (const auto& shift : shifts) {
        Pattern(surface);
        std::vector<uint32_t> before = Snapshot(surface);
        RECT source = {3, 3, 9, 7};
        const int dx = source.left + shift[0], dy = source.top + shift[1];
        ASSERT_EQ(surface->BltFast(dx, dy, surface, &source, flags), DD_OK);
        for (int y = 0; y < 9; ++y)
          for (int x = 0; x < 12; ++x) {
            uint32_t expected = before[y * 12 + x];
            int sx = x - dx + source.left, sy = y - dy + source.top;
            bool inside = x >= dx && x < dx + 6 && y >= dy && y < dy + 4;
            if (inside && !((flags & DDBLTFAST_SRCCOLORKEY) &&
                            before[sy * 12 + sx] == key.dwColorSpaceLowValue))
              expected = before[sy * 12 + sx];
            ASSERT_EQ(At(surface, x, y), expected)
                << shift[0] << "," << shift[1] << " at " << x << "," << y;
          }
      }
    }
    // Stretched onto itself as well.
    Pattern(surface);
    std::vector<uint32_t> before = Snapshot(surface);
    RECT small = {0, 0, 3, 3}, large = {0, 0, 6, 6};
    ASSERT_EQ(surface->Blt(&large, surface, &small, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(At(surface, x, y), before[(y / 2) * 12 + x / 2]);
  });
}

TEST(HostedDirectDraw, ThePrimarySurfaceIsTheDesktopClippedToTheWindow) {
  headless::HeadlessDisplay display(0, 200, 100);
  hosted::RunProcess(
      display,
      [&] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "Test";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, "Test", "", WS_POPUP | WS_VISIBLE, 150, 20, 40, 30,
                                      nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        IDirectDraw7* directDraw = MakeDirectDraw();
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        IDirectDrawSurface7* primary = nullptr;
        ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
        hosted::SurfaceInfo info = hosted::InspectSurface(primary);
        hosted::DesktopPicture desktop = hosted::Desktop();
        EXPECT_TRUE(info.primary);
        EXPECT_EQ(info.pixels, desktop.pixels);
        EXPECT_EQ(info.width, 200);
        EXPECT_EQ(info.height, 100);

        IDirectDrawClipper* clipper = nullptr;
        ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
        EXPECT_EQ(clipper->SetHWnd(0, window), DD_OK);
        HWND bound = nullptr;
        EXPECT_EQ(clipper->GetHWnd(&bound), DD_OK);
        EXPECT_EQ(bound, window);
        EXPECT_EQ(primary->SetClipper(clipper), DD_OK);
        EXPECT_EQ(clipper->Release(), 1u);  // the surface holds it now

        IDirectDrawSurface7* picture = Pattern(Plain(directDraw, 60, 50));
        // Reaches past the window and past the desktop's right edge.
        RECT dest = {140, 10, 200 + 0, 60};
        const int presents = display.Presents();
        ASSERT_EQ(primary->Blt(&dest, picture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_EQ(display.Presents(), presents + 1);
        for (int y = 0; y < 100; ++y)
          for (int x = 0; x < 200; ++x) {
            bool inWindow = x >= 150 && x < 190 && y >= 20 && y < 50;
            uint32_t expected = inWindow ? At(picture, x - 140, y - 10) : 0u;
            ASSERT_EQ(desktop.pixels[y * 200 + x], expected) << x << "," << y;
          }
        // BltFast cannot clip, so it is refused on a surface with a clipper.
        EXPECT_TRUE(FAILED(primary->BltFast(150, 20, picture, nullptr, DDBLTFAST_WAIT)));

        // A destination far larger than 32 bits of width: stretched and clipped.
        RECT huge = {-2000000000, -2000000000, 2000000000, 2000000000};
        ASSERT_EQ(primary->Blt(&huge, picture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_EQ(desktop.pixels[20 * 200 + 150], At(picture, 30, 25));

        // A hidden window shows nothing.
        std::memset(desktop.pixels, 0, static_cast<size_t>(desktop.pitch) * 100);
        ShowWindow(window, SW_HIDE);
        EXPECT_EQ(primary->Blt(&dest, picture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        for (int i = 0; i < 200 * 100; ++i) ASSERT_EQ(desktop.pixels[i], 0u);
        EXPECT_EQ(display.Presents(), presents + 2);
      },
      &display);
}

TEST(HostedDirectDraw, ReferenceCountsDecideLifetimes) {
  InProcess([](headless::HeadlessDisplay&) {
    IDirectDraw7* directDraw = MakeDirectDraw();
    IDirectDrawSurface7* surface = Plain(directDraw, 4, 4);
    IDirectDrawClipper* clipper = nullptr;
    directDraw->CreateClipper(0, &clipper, nullptr);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(surface->SetClipper(clipper), DD_OK);
    EXPECT_EQ(clipper->Release(), 1u);
    EXPECT_EQ(surface->SetClipper(nullptr), DD_OK);  // drops the last reference
    EXPECT_EQ(clipper->SetHWnd(0, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(surface->Release(), 0u);
    // Released objects answer, but hold nothing.
    EXPECT_EQ(hosted::InspectSurface(surface).pixels, nullptr);
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);
    IDirectDrawSurface7* other = Plain(directDraw, 4, 4);
    EXPECT_EQ(other->BltFast(0, 0, surface, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(other->SetClipper(clipper), DDERR_INVALIDPARAMS);
    EXPECT_EQ(other->IsLost(), DD_OK);
    EXPECT_EQ(other->Restore(), DD_OK);
  });
}

}  // namespace
