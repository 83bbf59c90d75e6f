// The screen: DirectDraw loaded at run time, the hidden base window, the
// windowed primary surface with its clipper, the back buffer, presentation and
// frame pacing, colour fills and the screen's drawing output.
#include <algorithm>
#include <cstring>

#include "runtime/core/core.h"
#include "runtime/screen/screen_internal.h"

namespace {

constexpr char kBaseClassName[] = "MultimediaBase Class";
constexpr IID kIidDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2,
                                 {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

typedef HRESULT(WINAPI* DirectDrawCreateExProc)(GUID* driver, LPVOID* object, REFIID iid,
                                                IUnknown* outer);

struct ScreenState {
  HMODULE module;
  IDirectDraw7* directDraw;
  int32_t baseWindowMade;
  HWND baseWindow;  // the screen window when DirectDraw was made: where ScreenClose returns
  HWND screenWindow;
  int32_t windowed;
  int32_t active;
  IDirectDrawSurface7* primary;
  IDirectDrawClipper* clipper;
  IDirectDrawSurface7* backBuffer;
  int32_t screenWidth;
  int32_t screenHeight;
  int32_t displayDepth;
  int32_t offsetX;
  int32_t offsetY;
  int32_t stretch;
  int32_t rightMargin;
  int32_t bottomMargin;
  HDC screenDC;
  DrawingOutput screenOutput;
  int32_t frameRate;
  int32_t framePeriod;
  int32_t lastCount;
  DDBLTFX fill;
  DDSURFACEDESC2 lockDescription;
};

ScreenState state;


LRESULT CALLBACK BaseWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) {
    if (state.windowed == 0) state.active = LOWORD(wParam) != 0 ? 1 : 0;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void MakeBaseWindow() {
  WNDCLASSEXA windowClass;
  std::memset(&windowClass, 0, sizeof(windowClass));
  windowClass.cbSize = sizeof(windowClass);  // 48 in a 32-bit build
  windowClass.lpfnWndProc = BaseWindowProcedure;
  windowClass.hInstance = RuntimeInstance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kBaseClassName;
  RegisterClassExA(&windowClass);
  state.screenWindow = CreateWindowExA(0, kBaseClassName, "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                       RuntimeInstance, nullptr);
  state.baseWindowMade = 1;
}

// The screen output's release, also run first by ScreenFlip and ScreenClose.
void ReleaseScreenDC() {
  if (state.screenDC == nullptr) return;
  DrawingForget(state.screenDC);
  if (state.backBuffer != nullptr) state.backBuffer->ReleaseDC(state.screenDC);
  state.screenDC = nullptr;
}

void ReleaseSurfaces() {
  ReleaseScreenDC();
  if (state.backBuffer != nullptr) {
    SpriteTargetForget(state.backBuffer);
    state.backBuffer->Release();
    state.backBuffer = nullptr;
  }
  if (state.primary != nullptr) {
    state.primary->Release();
    state.primary = nullptr;
  }
  if (state.clipper != nullptr) {
    state.clipper->Release();
    state.clipper = nullptr;
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
  if (state.directDraw->CreateSurface(&desc, &state.primary, nullptr) != DD_OK) return false;
  if (state.directDraw->CreateClipper(0, &state.clipper, nullptr) != DD_OK) return false;
  if (state.clipper->SetHWnd(0, window) != DD_OK) return false;
  if (state.primary->SetClipper(state.clipper) != DD_OK) return false;

  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  return state.directDraw->CreateSurface(&desc, &state.backBuffer, nullptr) == DD_OK;
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
    if ((now < 0 && state.lastCount >= 0) || (now > 0 && state.lastCount <= 0))
      state.lastCount = now;
    const int32_t elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(state.lastCount));
    if (elapsed > state.framePeriod) {
      state.lastCount = now;
      return;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- shared
IDirectDraw7* ScreenDirectDraw() { return state.directDraw; }
int32_t ScreenDisplayDepth() { return state.displayDepth; }
int32_t ScreenActive() { return state.active; }
DDSURFACEDESC2* ScreenLockDescription() { return &state.lockDescription; }

// ---------------------------------------------------------------- screen
int32_t ScreenInit() {
  // Structures carry their own size: 100 and 124 bytes in a 32-bit build,
  // larger in a 64-bit one, where they hold 8-byte pointers.
  std::memset(&state.fill, 0, sizeof(state.fill));
  state.fill.dwSize = sizeof(state.fill);
  std::memset(&state.lockDescription, 0, sizeof(state.lockDescription));
  state.lockDescription.dwSize = sizeof(state.lockDescription);
  state.frameRate = 0;
  // A device context still handed out goes back rather than being forgotten,
  // which would leave the back buffer refusing every later one.
  ReleaseScreenDC();

  const int32_t table = SpriteTableInit();
  if (!state.baseWindowMade) MakeBaseWindow();
  if (state.directDraw == nullptr) {
    // A second ScreenInit after a failure must not take a second reference.
    if (state.module == nullptr) state.module = LoadLibraryA("DDRAW.DLL");
    if (state.module == nullptr) return 0;
    // Through void (*)(): the one function type that converts to any other
    // without a warning about incompatible casts.
    auto create = reinterpret_cast<DirectDrawCreateExProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(state.module, "DirectDrawCreateEx")));
    if (create == nullptr) return 0;
    LPVOID object = nullptr;
    if (create(nullptr, &object, kIidDirectDraw7, nullptr) != DD_OK) return 0;
    state.directDraw = static_cast<IDirectDraw7*>(object);
    state.baseWindow = state.screenWindow;
  }
  return table != 0 ? 1 : 0;
}

int32_t ScreenSetFrameRate(int32_t rate) {
  // rate + 1 is the divisor: -1 would divide by zero, and no negative rate
  // means anything.
  if (rate < 0) return 0;
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  state.frameRate = rate;
  state.framePeriod =
      static_cast<int32_t>(static_cast<uint32_t>(frequency.QuadPart / (int64_t{rate} + 1)));
  state.lastCount = 0;
  return 1;
}

int32_t ScreenOpenWindowed(HWND window, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t stretch, int32_t rightMargin, int32_t bottomMargin) {
  state.windowed = 1;
  if (window == nullptr) {
    ScreenClose();
    return 0;
  }
  ShowWindow(state.screenWindow, SW_HIDE);
  state.screenWindow = window;
  state.screenWidth = width;
  state.screenHeight = height;
  SpriteSetTargetSize(width, height);

  HDC dc = GetDC(window);
  state.displayDepth = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(window, dc);
  if (state.frameRate == 0) ScreenSetFrameRate(60);

  // Opening again while open: the surfaces of the first screen are given
  // back before the new ones are made instead of being lost.
  ReleaseSurfaces();
  if (state.directDraw == nullptr ||
      state.directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK ||
      !MakeSurfaces(window, width, height)) {
    ScreenClose();
    return 0;
  }
  ShowWindow(window, SW_SHOWNORMAL);

  HDC bufferDC = nullptr;
  if (state.backBuffer->GetDC(&bufferDC) == DD_OK) {
    const DisplayTarget& target = SpriteCurrentTarget();
    SelectObject(bufferDC, GetStockObject(BLACK_BRUSH));
    Rectangle(bufferDC, 0, 0, target.width, target.height);
    state.backBuffer->ReleaseDC(bufferDC);
  }
  SpriteSetHome(state.backBuffer, state.screenWidth, state.screenHeight);

  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE);
  state.offsetX = WrapSubtract(x, frame.left);
  state.offsetY = WrapSubtract(y, frame.top);
  state.stretch = stretch;
  state.rightMargin = rightMargin;
  state.bottomMargin = bottomMargin;
  state.active = 1;
  return 1;
}

IDirectDrawSurface7* ScreenFlip() {
  ReleaseScreenDC();
  SpriteTarget(-1);
  const DisplayTarget& target = SpriteCurrentTarget();

  RECT destination;
  GetWindowRect(state.screenWindow, &destination);
  OffsetRect(&destination, state.offsetX, state.offsetY);
  if (state.stretch != 0) {
    destination.right = WrapSubtract(destination.right, WrapAdd(state.rightMargin, state.offsetX));
    destination.bottom = WrapSubtract(destination.bottom, WrapAdd(state.bottomMargin, state.offsetY));
  } else {
    destination.right = WrapAdd(destination.left, target.width);
    destination.bottom = WrapAdd(destination.top, target.height);
  }
  RECT source;
  SetRect(&source, 0, 0, target.width, target.height);
  if (state.primary != nullptr && state.backBuffer != nullptr)
    state.primary->Blt(&destination, state.backBuffer, &source, DDBLT_WAIT, nullptr);

  // Windows marks a window whose thread has retrieved no messages for about
  // five seconds as not responding and ghosts it, although the game runs and
  // draws. So every frame empties the thread's queue. The game's window
  // procedure ignores close requests, so nothing the player sees changes.
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  SpriteTargetHomeSurface();
  if (state.frameRate != 0) WaitForFrameEnd();
  return state.backBuffer;
}

HRESULT ScreenClear(int32_t red, int32_t green, int32_t blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  DWORD value;
  if (state.displayDepth == 16)  // 5-6-5, the layout of every 16-bit display
    value = static_cast<DWORD>((red / 8) * 2048 + (green / 4) * 32 + blue / 8);
  else
    value = static_cast<DWORD>(red * 65536 + green * 256 + blue);
  const DisplayTarget& target = SpriteCurrentTarget();
  if (target.surface == nullptr) return DDERR_INVALIDOBJECT;
  state.fill.dwFillColor = value;
  return target.surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &state.fill);
}

DrawingOutput* ScreenOutput() {
  if (state.screenDC != nullptr || state.backBuffer == nullptr) return nullptr;
  if (state.backBuffer->Lock(nullptr, &state.lockDescription, DDLOCK_WAIT, nullptr) != DD_OK)
    return nullptr;
  state.backBuffer->Unlock(nullptr);
  HDC dc = nullptr;
  if (state.backBuffer->GetDC(&dc) != DD_OK) return nullptr;
  state.screenDC = dc;
  DrawingOutput& output = state.screenOutput;
  output.kind = kDrawingOutputSurface;
  output.window = nullptr;
  output.deviceContext = dc;
  output.release = ReleaseScreenDC;
  output.pixels = state.lockDescription.lpSurface;
  output.pitch = state.lockDescription.lPitch;
  output.width = state.lockDescription.dwWidth;
  output.height = state.lockDescription.dwHeight;
  output.bitsPerPixel = static_cast<uint32_t>(state.displayDepth);
  return &output;
}

HWND ScreenWindow() { return state.screenWindow; }

void ScreenClose() {
  // Device contexts handed out for drawing go back before their surfaces, so
  // a later release of the output finds nothing to give back.
  SpriteOutputRelease();
  ReleaseScreenDC();
  for (int32_t number = 0; number < SpriteTableCapacity(); ++number) SpriteFree(number);
  if (state.directDraw != nullptr) state.directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
  ReleaseSurfaces();
  state.windowed = 0;
  state.screenWindow = state.baseWindow;
  ShowWindow(state.baseWindow, SW_HIDE);
}

void ScreenStop() {
  ScreenClose();
  if (state.directDraw != nullptr) {
    state.directDraw->Release();
    state.directDraw = nullptr;
  }
  if (state.module != nullptr) {
    FreeLibrary(state.module);
    state.module = nullptr;
  }
}

void ScreenReset() {
  state = ScreenState{};
  SpriteTableReset();
  SpritesReset();
}

ScreenStateView ScreenInspect() {
  const DisplayTarget& target = SpriteCurrentTarget();
  return ScreenStateView{state.module,       state.directDraw,   state.baseWindow,
                         state.screenWindow, state.windowed,     state.active,
                         state.primary,      state.clipper,      state.backBuffer,
                         state.screenWidth,  state.screenHeight, state.displayDepth,
                         state.offsetX,      state.offsetY,      state.frameRate,
                         state.framePeriod,  state.lastCount,    state.screenDC,
                         SpriteTableCapacity(), target.surface,  target.width,
                         target.height};
}
