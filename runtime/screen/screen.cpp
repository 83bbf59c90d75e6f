// The screen: DirectDraw loaded at run time, the hidden base window, the
// windowed primary surface with its clipper, the back buffer, presentation and
// frame pacing, colour fills and the screen's drawing output.
#include <algorithm>
#include <cstring>

#include "runtime/core/core.h"
#include "runtime/core/helpers.h"
#include "runtime/core/hooks.h"
#include "runtime/screen/screen_internal.h"
#include "runtime/screen/screen_view.h"

ScreenState screen;

namespace {

constexpr char kBaseClassName[] = "MultimediaBase Class";

typedef HRESULT(WINAPI* DirectDrawCreateExProc)(GUID* driver, LPVOID* object, REFIID iid,
                                                IUnknown* outer);

LRESULT CALLBACK BaseWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) {
    if (screen.windowed == 0) screen.active = LOWORD(wParam) != 0 ? 1 : 0;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void MakeBaseWindow() {
  WNDCLASSEXA windowClass;
  std::memset(&windowClass, 0, sizeof(windowClass));
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BaseWindowProcedure;
  windowClass.hInstance = RuntimeInstance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kBaseClassName;
  RegisterClassExA(&windowClass);
  screen.screenWindow = CreateWindowExA(0, kBaseClassName, "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                        RuntimeInstance, nullptr);
  screen.baseWindowMade = 1;
}

// The screen output's release, also run first by ScreenFlip and ScreenClose.
void ReleaseScreenDC() {
  if (screen.screenDC == nullptr) return;
  DrawingForget(screen.screenDC);
  if (screen.backBuffer != nullptr) screen.backBuffer->ReleaseDC(screen.screenDC);
  screen.screenDC = nullptr;
}

void ReleaseSurfaces() {
  ReleaseScreenDC();
  if (screen.backBuffer != nullptr) {
    SpriteTargetForget(screen.backBuffer);
    screen.backBuffer->Release();
    screen.backBuffer = nullptr;
  }
  if (screen.primary != nullptr) {
    screen.primary->Release();
    screen.primary = nullptr;
  }
  if (screen.clipper != nullptr) {
    screen.clipper->Release();
    screen.clipper = nullptr;
  }
}

// The primary surface with its clipper bound to `window`, then the back buffer
// in the display's format. Any nonzero result fails the open there.
bool MakeSurfaces(HWND window, int32_t width, int32_t height) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
  if (screen.directDraw->CreateSurface(&desc, &screen.primary, nullptr) != DD_OK) return false;
  if (screen.directDraw->CreateClipper(0, &screen.clipper, nullptr) != DD_OK) return false;
  if (screen.clipper->SetHWnd(0, window) != DD_OK) return false;
  if (screen.primary->SetClipper(screen.clipper) != DD_OK) return false;

  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  return screen.directDraw->CreateSurface(&desc, &screen.backBuffer, nullptr) == DD_OK;
}

// Busy-waits until more than a frame period has passed since the previous
// wait ended. The counter's low half is compared as signed 32-bit values; when
// its sign changes the measurement starts again from that reading.
void WaitForFrameEnd() {
  for (;;) {
    LARGE_INTEGER count;
    // The frequency could be read, so the counter is not expected to fail;
    // should it, the frame goes unpaced rather than spinning for ever.
    if (!QueryPerformanceCounter(&count)) return;
    const int32_t now = static_cast<int32_t>(static_cast<uint32_t>(count.QuadPart));
    if ((now < 0 && screen.lastCount >= 0) || (now > 0 && screen.lastCount <= 0))
      screen.lastCount = now;
    const int32_t elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(screen.lastCount));
    if (elapsed > screen.framePeriod) {
      screen.lastCount = now;
      return;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- shared
DrawingOutput* OpenSurfaceOutput(IDirectDrawSurface7* surface, HDC* dc, DrawingOutput* output,
                                 void (*release)()) {
  DDSURFACEDESC2& lock = screen.lockDescription;
  if (surface->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr) != DD_OK) return nullptr;
  surface->Unlock(nullptr);
  HDC held = nullptr;
  if (surface->GetDC(&held) != DD_OK) return nullptr;
  *dc = held;
  output->kind = kDrawingOutputSurface;
  output->window = nullptr;
  output->deviceContext = held;
  output->release = release;
  output->pixels = lock.lpSurface;
  output->pitch = lock.lPitch;
  output->width = lock.dwWidth;
  output->height = lock.dwHeight;
  output->bitsPerPixel = static_cast<uint32_t>(screen.displayDepth);
  return output;
}

// ---------------------------------------------------------------- screen
int32_t ScreenInit() {
  // DirectDraw checks the size each structure carries, which tells it the
  // structure's version.
  std::memset(&screen.fill, 0, sizeof(screen.fill));
  screen.fill.dwSize = sizeof(screen.fill);
  std::memset(&screen.lockDescription, 0, sizeof(screen.lockDescription));
  screen.lockDescription.dwSize = sizeof(screen.lockDescription);
  screen.frameRate = 0;
  // A device context still handed out goes back rather than being forgotten,
  // which would leave the back buffer refusing every later one.
  ReleaseScreenDC();

  const int32_t table = SpriteTableInit();
  if (!screen.baseWindowMade) MakeBaseWindow();
  if (screen.directDraw == nullptr) {
    // A second ScreenInit after a failure must not take a second reference.
    if (screen.module == nullptr) screen.module = LoadLibraryA("DDRAW.DLL");
    if (screen.module == nullptr) return 0;
    // Through void (*)(): the one function type that converts to any other
    // without a warning about incompatible casts.
    auto create = reinterpret_cast<DirectDrawCreateExProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(screen.module, "DirectDrawCreateEx")));
    if (create == nullptr) return 0;
    LPVOID object = nullptr;
    if (create(nullptr, &object, IID_IDirectDraw7, nullptr) != DD_OK) return 0;
    screen.directDraw = static_cast<IDirectDraw7*>(object);
    screen.baseWindow = screen.screenWindow;
  }
  return table != 0 ? 1 : 0;
}

int32_t ScreenSetFrameRate(int32_t rate) {
  // rate + 1 is the divisor: -1 would divide by zero, and no negative rate
  // means anything.
  if (rate < 0) return 0;
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  screen.frameRate = rate;
  screen.framePeriod =
      static_cast<int32_t>(static_cast<uint32_t>(frequency.QuadPart / (int64_t{rate} + 1)));
  screen.lastCount = 0;
  return 1;
}

int32_t ScreenOpenWindowed(HWND window, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t stretch, int32_t rightMargin, int32_t bottomMargin) {
  screen.windowed = 1;
  if (window == nullptr) {
    ScreenClose();
    return 0;
  }
  ShowWindow(screen.screenWindow, SW_HIDE);
  screen.screenWindow = window;
  screen.screenWidth = width;
  screen.screenHeight = height;
  screen.target.width = width;
  screen.target.height = height;

  HDC dc = GetDC(window);
  screen.displayDepth = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(window, dc);
  if (screen.frameRate == 0) ScreenSetFrameRate(60);

  // Opening again while open: the surfaces of the first screen are given
  // back before the new ones are made instead of being lost.
  ReleaseSurfaces();
  if (screen.directDraw == nullptr ||
      screen.directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK ||
      !MakeSurfaces(window, width, height)) {
    ScreenClose();
    return 0;
  }
  ShowWindow(window, SW_SHOWNORMAL);

  HDC bufferDC = nullptr;
  if (screen.backBuffer->GetDC(&bufferDC) == DD_OK) {
    SelectObject(bufferDC, GetStockObject(BLACK_BRUSH));
    Rectangle(bufferDC, 0, 0, screen.target.width, screen.target.height);
    screen.backBuffer->ReleaseDC(bufferDC);
  }
  screen.home = DisplayTarget{screen.backBuffer, screen.screenWidth, screen.screenHeight};
  screen.target = screen.home;

  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE);
  screen.offsetX = WrapSubtract(x, frame.left);
  screen.offsetY = WrapSubtract(y, frame.top);
  screen.stretch = stretch;
  screen.rightMargin = rightMargin;
  screen.bottomMargin = bottomMargin;
  screen.active = 1;
  return 1;
}

IDirectDrawSurface7* ScreenFlip() {
  ReleaseScreenDC();
  SpriteTarget(-1);
  const DisplayTarget& target = screen.target;

  RECT destination;
  GetWindowRect(screen.screenWindow, &destination);
  OffsetRect(&destination, screen.offsetX, screen.offsetY);
  if (screen.stretch != 0) {
    destination.right =
        WrapSubtract(destination.right, WrapAdd(screen.rightMargin, screen.offsetX));
    destination.bottom =
        WrapSubtract(destination.bottom, WrapAdd(screen.bottomMargin, screen.offsetY));
  } else {
    destination.right = WrapAdd(destination.left, target.width);
    destination.bottom = WrapAdd(destination.top, target.height);
  }
  RECT source;
  SetRect(&source, 0, 0, target.width, target.height);
  if (screen.primary != nullptr && screen.backBuffer != nullptr)
    screen.primary->Blt(&destination, screen.backBuffer, &source, DDBLT_WAIT, nullptr);

  // Windows marks a window whose thread has retrieved no messages for about
  // five seconds as not responding and ghosts it, although the game runs and
  // draws. So every frame empties the thread's queue. The game's window
  // procedure ignores close requests, so nothing the player sees changes.
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  screen.target.surface = screen.home.surface;
  if (screen.frameRate != 0) WaitForFrameEnd();
  return screen.backBuffer;
}

HRESULT ScreenClear(int32_t red, int32_t green, int32_t blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  DWORD value;
  if (screen.displayDepth == 16)  // 5-6-5, the layout of every 16-bit display
    value = static_cast<DWORD>((red / 8) * 2048 + (green / 4) * 32 + blue / 8);
  else
    value = static_cast<DWORD>(red * 65536 + green * 256 + blue);
  const DisplayTarget& target = screen.target;
  if (target.surface == nullptr) return DDERR_INVALIDOBJECT;
  screen.fill.dwFillColor = value;
  return target.surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &screen.fill);
}

DrawingOutput* ScreenOutput() {
  if (screen.screenDC != nullptr || screen.backBuffer == nullptr) return nullptr;
  return OpenSurfaceOutput(screen.backBuffer, &screen.screenDC, &screen.screenOutput,
                           ReleaseScreenDC);
}

HWND ScreenWindow() { return screen.screenWindow; }

void ScreenClose() {
  // Device contexts handed out for drawing go back before their surfaces, so
  // a later release of the output finds nothing to give back.
  SpriteOutputRelease();
  ReleaseScreenDC();
  for (int32_t number = 0; number < screen.spriteCapacity; ++number) SpriteFree(number);
  if (screen.directDraw != nullptr) screen.directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
  ReleaseSurfaces();
  screen.windowed = 0;
  screen.screenWindow = screen.baseWindow;
  ShowWindow(screen.baseWindow, SW_HIDE);
}

void ScreenStop() {
  ScreenClose();
  if (screen.directDraw != nullptr) {
    screen.directDraw->Release();
    screen.directDraw = nullptr;
  }
  if (screen.module != nullptr) {
    FreeLibrary(screen.module);
    screen.module = nullptr;
  }
}

void ScreenReset() { screen = ScreenState{}; }

const ScreenState& ScreenInspect() { return screen; }
