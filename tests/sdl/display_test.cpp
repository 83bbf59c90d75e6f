// The SDL display on SDL's dummy video driver, which has windows and
// framebuffers but shows nothing: windows, pictures, window events, the
// keyboard without focus, message boxes, the clock; the logical desktop at a
// scale and full screen; and the display where no screen can be opened.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"
#include "platform/hosted/process.h"

namespace {

using sdl::SdlDisplay;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A top-level window of outer rectangle (x, y, width, height).
HWND MakeWindow(DWORD style, int x, int y, int width, int height, const char* title = "") {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SdlTest";
  RegisterClassA(&windowClass);  // fails harmlessly once registered
  return CreateWindowExA(0, "SdlTest", title, style, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void PushWindowEvent(SDL_Window* window, Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  event.window.windowID = window ? SDL_GetWindowID(window) : 12345;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void PushKey(SDL_Window* window, SDL_Keycode key, uint16_t modifiers, bool repeat) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = SDL_GetWindowID(window);
  event.key.repeat = repeat;
  event.key.keysym.sym = key;
  event.key.keysym.mod = modifiers;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// "x,y wxh" of an SDL window.
std::string Geometry(SDL_Window* window) {
  int x, y, width, height;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &width, &height);
  return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
         std::to_string(height);
}

// Fills the desktop under `area` with a pattern that differs in every pixel.
uint32_t Pattern(int x, int y) { return 0x00102030u + static_cast<uint32_t>(x * 16 + y); }
void PaintDesktop(const RECT& area) {
  hosted::DesktopPicture desktop = hosted::Desktop();
  for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, desktop.height); ++y)
    for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, desktop.width); ++x)
      desktop.pixels[static_cast<size_t>(y) * (desktop.pitch / 4) + x] = Pattern(x, y);
}

// The colour SDL's framebuffer of `window` holds at (x, y), as 0xRRGGBB.
uint32_t FramebufferPixel(SDL_Window* window, int x, int y) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
  uint32_t value = 0;
  std::memcpy(&value, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
  Uint8 r, g, b;
  SDL_GetRGB(value, surface->format, &r, &g, &b);
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

class SdlDisplayTest : public ::testing::Test {
 protected:
  // Nothing here may open a real screen or pop up a real message box.
  void SetUp() override {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  }
  void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }
};

TEST_F(SdlDisplayTest, WithoutAScreenThereIsNoDirectDrawAndBoxesGoToStandardError) {
  unsetenv("SDL_VIDEODRIVER");
  SdlDisplay display;
  EXPECT_FALSE(display.Available());
  int code = hosted::RunProcess(display, [&] {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(LoadLibraryA("DDRAW.DLL"), nullptr);
    EXPECT_NE(LoadLibraryA("DINPUT.DLL"), nullptr);
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 32, 32);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(display.WindowOf(window), nullptr);
    uint8_t keys[256];
    EXPECT_TRUE(display.ReadKeyboard(keys));
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(window, "Fehler Nr.1", "ERROR", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR\nFehler Nr.1\n");
    EXPECT_EQ(display.PrintedMessageBoxes(), 1);
  });
  EXPECT_EQ(code, 0);
}

TEST_F(SdlDisplayTest, VisibleWindowsAreSdlWindowsOverTheirClientArea) {
  SdlDisplay display;
  ASSERT_TRUE(display.Available());
  hosted::RunProcess(display, [&] {
    // The dummy driver's screen is 1024 x 768.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);

    HWND popup = MakeWindow(WS_POPUP | WS_VISIBLE, 100, 50, 64, 32);
    SDL_Window* shown = display.WindowOf(popup);
    ASSERT_NE(shown, nullptr);
    int x, y, width, height;
    SDL_GetWindowPosition(shown, &x, &y);
    SDL_GetWindowSize(shown, &width, &height);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 32);
    EXPECT_TRUE(SDL_GetWindowFlags(shown) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(shown) & SDL_WINDOW_SHOWN);
    EXPECT_STREQ(SDL_GetWindowTitle(shown), "");

    // Hidden windows, like the screen's base window, never get one.
    HWND hidden = MakeWindow(WS_POPUP, 0, 0, 1, 1);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(display.WindowOf(hidden), nullptr);

    // A framed window once shown: the frame is the system's, the SDL window
    // is its client area, and the title is its text.
    HWND framed = MakeWindow(WS_CAPTION, 200, 100, 100, 80, "Fenster \xE4");
    EXPECT_EQ(display.WindowOf(framed), nullptr);
    ShowWindow(framed, SW_SHOW);
    SDL_Window* frame = display.WindowOf(framed);
    ASSERT_NE(frame, nullptr);
    RECT client;
    ASSERT_TRUE(hosted::WindowRects(framed, nullptr, &client));
    SDL_GetWindowPosition(frame, &x, &y);
    SDL_GetWindowSize(frame, &width, &height);
    EXPECT_EQ(x, client.left);
    EXPECT_EQ(y, client.top);
    EXPECT_EQ(width, client.right - client.left);
    EXPECT_EQ(height, client.bottom - client.top);
    EXPECT_FALSE(SDL_GetWindowFlags(frame) & SDL_WINDOW_BORDERLESS);
    EXPECT_STREQ(SDL_GetWindowTitle(frame), "Fenster \xC3\xA4");

    ShowWindow(framed, SW_HIDE);
    EXPECT_EQ(display.WindowOf(framed), nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(frame) & SDL_WINDOW_HIDDEN);
    ShowWindow(framed, SW_SHOW);
    EXPECT_EQ(display.WindowOf(framed), frame);  // the same window again

    DestroyWindow(popup);
    EXPECT_EQ(display.WindowOf(popup), nullptr);
    EXPECT_EQ(display.WindowOf(framed), frame);
  });
}

TEST_F(SdlDisplayTest, PresentShowsTheWholeClientAreaOfTheDesktop) {
  SdlDisplay display;
  ASSERT_TRUE(display.Available());
  hosted::RunProcess(display, [&] {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 10, 20, 8, 4);
    SDL_Window* shown = display.WindowOf(window);
    ASSERT_NE(shown, nullptr);
    hosted::DesktopPicture desktop = hosted::Desktop();
    auto at = [&](int x, int y) -> uint32_t& {
      return desktop.pixels[static_cast<size_t>(y) * (desktop.pitch / 4) + x];
    };
    auto pattern = [](int x, int y) { return 0x00102030u + static_cast<uint32_t>(x * 16 + y); };
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) at(10 + x, 20 + y) = pattern(x, y);
    // A blit of one pixel: the whole window is shown as it now is.
    display.Present(window, RECT{11, 21, 12, 22});
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(FramebufferPixel(shown, x, y), pattern(x, y)) << x << "," << y;

    // A window hanging over the desktop's left edge: what lies outside the
    // desktop is black.
    HWND over = MakeWindow(WS_POPUP | WS_VISIBLE, -2, 0, 4, 2);
    SDL_Window* edge = display.WindowOf(over);
    ASSERT_NE(edge, nullptr);
    at(0, 0) = 0x00FF0000;
    at(1, 0) = 0x0000FF00;
    at(0, 1) = 0x000000FF;
    at(1, 1) = 0x00FFFFFF;
    display.Present(over, RECT{0, 0, 2, 2});
    EXPECT_EQ(FramebufferPixel(edge, 0, 0), 0u);
    EXPECT_EQ(FramebufferPixel(edge, 1, 1), 0u);
    EXPECT_EQ(FramebufferPixel(edge, 2, 0), 0xFF0000u);
    EXPECT_EQ(FramebufferPixel(edge, 3, 0), 0x00FF00u);
    EXPECT_EQ(FramebufferPixel(edge, 2, 1), 0x0000FFu);
    EXPECT_EQ(FramebufferPixel(edge, 3, 1), 0xFFFFFFu);

    // Presents for windows without an SDL window change nothing.
    HWND hidden = MakeWindow(WS_POPUP, 0, 0, 4, 4);
    display.Present(hidden, RECT{0, 0, 4, 4});
    display.Present(nullptr, RECT{0, 0, 4, 4});
  });
}

TEST_F(SdlDisplayTest, AtAScaleTheDesktopIsLogicalAndEveryPixelABlock) {
  SdlDisplay display;
  // The dummy driver's 1024 x 768 screen: 1 by default, at most 3.
  EXPECT_EQ(display.LargestScale(), 3);
  EXPECT_FALSE(display.SetScale(4));
  EXPECT_EQ(display.Scale(), 1);
  ASSERT_TRUE(display.SetScale(3));
  hosted::RunProcess(display, [&] {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 341);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 256);
    // A window on the desktop, and one over its top edge: what lies above
    // the desktop is black.
    const struct {
      RECT rect;
      const char* geometry;
    } cases[] = {{{100, 50, 108, 54}, "300,150 24x12"}, {{0, -2, 2, 2}, "0,-6 6x12"}};
    for (const auto& c : cases) {
      HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, c.rect.left, c.rect.top,
                               c.rect.right - c.rect.left, c.rect.bottom - c.rect.top);
      SDL_Window* shown = display.WindowOf(window);
      ASSERT_NE(shown, nullptr);
      EXPECT_EQ(Geometry(shown), c.geometry);
      PaintDesktop(c.rect);
      display.Present(window, c.rect);
      for (int y = 0; y < 3 * (c.rect.bottom - c.rect.top); ++y)
        for (int x = 0; x < 3 * (c.rect.right - c.rect.left); ++x) {
          int desktopX = c.rect.left + x / 3, desktopY = c.rect.top + y / 3;
          ASSERT_EQ(FramebufferPixel(shown, x, y), desktopY < 0 ? 0u : Pattern(desktopX, desktopY))
              << c.geometry << " at " << x << "," << y;
        }
    }
  });
}

TEST_F(SdlDisplayTest, FullScreenShowsThePictureLargeAndCentredAndGoesBack) {
  SdlDisplay display;
  ASSERT_TRUE(display.SetScale(2));
  hosted::RunProcess(display, [&] {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 10, 20, 64, 32);
    SDL_Window* shown = display.WindowOf(window);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Geometry(shown), "20,40 128x64");
    PaintDesktop(RECT{10, 20, 74, 52});
    display.ToggleFullScreen(window);
    EXPECT_EQ(display.FullScreenWindow(), window);
    EXPECT_EQ(Geometry(shown), "0,0 1024x768");
    EXPECT_EQ(SDL_GetWindowFlags(shown) & SDL_WINDOW_FULLSCREEN_DESKTOP,
              static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    // 64 x 32 at the scale that fits, 16: 1024 x 512 at (0, 128), black around.
    EXPECT_EQ(FramebufferPixel(shown, 0, 127), 0u);
    EXPECT_EQ(FramebufferPixel(shown, 1023, 640), 0u);
    EXPECT_EQ(FramebufferPixel(shown, 0, 128), Pattern(10, 20));
    EXPECT_EQ(FramebufferPixel(shown, 1023, 639), Pattern(73, 51));
    EXPECT_EQ(FramebufferPixel(shown, 16 * 5 + 15, 128 + 16 * 3), Pattern(15, 23));
    // Presents keep to the picture.
    hosted::Desktop().pixels[20 * (hosted::Desktop().pitch / 4) + 10] = 0x00ABCDEF;
    display.Present(window, RECT{10, 20, 11, 21});
    EXPECT_EQ(FramebufferPixel(shown, 15, 143), 0xABCDEFu);
    EXPECT_EQ(FramebufferPixel(shown, 0, 127), 0u);

    display.ToggleFullScreen(window);
    EXPECT_EQ(display.FullScreenWindow(), nullptr);
    EXPECT_EQ(Geometry(shown), "20,40 128x64");
    EXPECT_EQ(SDL_GetWindowFlags(shown) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(FramebufferPixel(shown, 0, 0), 0xABCDEFu);

    // Destroying the window in full screen ends full screen.
    HWND framed = MakeWindow(WS_CAPTION | WS_VISIBLE, 200, 100, 100, 80);
    display.ToggleFullScreen(framed);
    EXPECT_EQ(display.FullScreenWindow(), framed);
    DestroyWindow(framed);
    EXPECT_EQ(display.FullScreenWindow(), nullptr);
  });
}

// The display's own keys: Alt+Enter and F11 switch full screen, M mutes and
// unmutes, as SetMuted does.
TEST_F(SdlDisplayTest, AltEnterAndF11SwitchFullScreenMMutesAndTheFirstWindowMayStartThere) {
  SdlDisplay display;
  display.StartInFullScreen();
  hosted::RunProcess(display, [&] {
    HWND hidden = MakeWindow(WS_POPUP, 0, 0, 4, 4);
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 10, 20, 64, 32);
    EXPECT_EQ(display.FullScreenWindow(), window);  // the first one shown
    EXPECT_EQ(Geometry(display.WindowOf(window)), "0,0 1024x768");
    ShowWindow(hidden, SW_SHOW);
    EXPECT_EQ(display.FullScreenWindow(), window);
    const struct {
      SDL_Keycode key;
      uint16_t modifiers;
      bool repeat;
      bool switches;
      bool mutes = false;
    } cases[] = {
        {SDLK_RETURN, KMOD_LALT, false, true},   {SDLK_RETURN, KMOD_RALT, false, true},
        {SDLK_KP_ENTER, KMOD_LALT, false, true}, {SDLK_F11, KMOD_NONE, false, true},
        {SDLK_RETURN, KMOD_NONE, false, false},  {SDLK_RETURN, KMOD_LCTRL, false, false},
        {SDLK_F11, KMOD_NONE, true, false},      {SDLK_F10, KMOD_LALT, false, false},
        {SDLK_m, KMOD_NONE, false, false, true}, {SDLK_m, KMOD_LSHIFT, false, false, true},
        {SDLK_m, KMOD_NONE, true, false, false}, {SDLK_m, KMOD_LCTRL, false, false, false},
    };
    for (const auto& c : cases) {
      HWND before = display.FullScreenWindow();
      bool muted = display.Muted();
      PushKey(display.WindowOf(window), c.key, c.modifiers, c.repeat);
      display.Pump();
      EXPECT_EQ(display.FullScreenWindow() != before, c.switches) << SDL_GetKeyName(c.key);
      EXPECT_EQ(display.Muted() != muted, c.mutes) << SDL_GetKeyName(c.key);
    }
    display.SetMuted(!display.Muted());
    EXPECT_TRUE(display.Muted());
  });
}

TEST_F(SdlDisplayTest, CloseRequestsAreQueuedAndFocusMovesTheForeground) {
  SdlDisplay display;
  ASSERT_TRUE(display.Available());
  hosted::RunProcess(display, [&] {
    HWND first = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 16, 16);
    HWND second = MakeWindow(WS_POPUP | WS_VISIBLE, 20, 0, 16, 16);
    ASSERT_EQ(GetForegroundWindow(), second);  // shown last

    PushWindowEvent(display.WindowOf(first), SDL_WINDOWEVENT_CLOSE);
    PushWindowEvent(nullptr, SDL_WINDOWEVENT_CLOSE);  // not one of ours
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, first);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(IsWindow(first));  // queued, not acted on

    PushWindowEvent(display.WindowOf(second), SDL_WINDOWEVENT_FOCUS_LOST);
    display.Pump();
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    PushWindowEvent(display.WindowOf(first), SDL_WINDOWEVENT_FOCUS_GAINED);
    display.Pump();
    EXPECT_EQ(GetForegroundWindow(), first);
    // The focus moving between our windows may be told in either order.
    PushWindowEvent(display.WindowOf(second), SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(display.WindowOf(first), SDL_WINDOWEVENT_FOCUS_LOST);
    display.Pump();
    EXPECT_EQ(GetForegroundWindow(), second);

    // No window of ours has SDL's keyboard focus: every key is up.
    uint8_t keys[256];
    std::memset(keys, 0xFF, sizeof keys);
    EXPECT_TRUE(display.ReadKeyboard(keys));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(keys[i], 0) << i;
  });
}

// Pushes a mouse button or finger event of window `window`, at x (a
// finger's as a fraction of the dummy driver's 1024-pixel full screen).
std::function<void()> Pointer(Uint32 type, Uint32 window, Uint8 button = SDL_BUTTON_LEFT,
                              int x = 0) {
  return [=] {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_FINGERDOWN || type == SDL_FINGERUP) {
      event.tfinger.windowID = window;
      event.tfinger.x = static_cast<float>(x) / 1024;
    } else {
      event.button.windowID = window;
      event.button.button = button;
      event.button.x = x;
    }
    SDL_PushEvent(&event);
  };
}

// A game controller (SDL's virtual one), mouse buttons and fingers, with the
// focus as SDL's window events tell it, in the snapshots after each step: Up
// is 0xC8, P 0x19, Escape 0x01, W 0x11. The dummy driver gives no window
// SDL's own focus, which SDL's controllers would otherwise wait for. Then
// two players, with pads of their own GUIDs, A held.
TEST_F(SdlDisplayTest, ControllersAndPointersCountWhileOurWindowHasTheFocus) {
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  SdlDisplay display;
  hosted::RunProcess(display, [&] {
    HWND handle = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 16, 16);
    SDL_Window* shown = display.WindowOf(handle);
    Uint32 ours = SDL_GetWindowID(shown);
    SDL_Joystick* pads[3] = {};
    auto plug = [&pads](Uint16 which) {
      return [&pads, which] {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.vendor_id = 0x1209;
        desc.product_id = which + 1;
        pads[which] = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        SDL_JoystickSetVirtualButton(pads[which], SDL_CONTROLLER_BUTTON_A, 1);
      };
    };
    auto unplug = [&pads] {
      for (int device = SDL_NumJoysticks(); device-- > 0;) SDL_JoystickDetachVirtual(device);
      for (SDL_Joystick*& pad : pads) SDL_JoystickClose(std::exchange(pad, nullptr));
    };
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    auto button = [&](SDL_GameControllerButton which, bool down) {
      return [=] { SDL_JoystickSetVirtualButton(pad, which, down); };
    };
    // A virtual trigger's whole range is SDL's axis range.
    auto trigger = [&](Sint16 value) {
      return [=] { SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, value); };
    };
    auto window = [&](Uint8 what) { return [=] { PushWindowEvent(shown, what); }; };
    const struct {
      std::vector<std::function<void()>> acts;
      std::vector<int> down;
      bool away;
    } steps[] = {
        {{button(SDL_CONTROLLER_BUTTON_A, true)}, {}, false},  // without the focus
        {{window(SDL_WINDOWEVENT_FOCUS_GAINED)}, {0xC8}, false},
        {{button(SDL_CONTROLLER_BUTTON_START, true)}, {0x19, 0xC8}, false},
        {{button(SDL_CONTROLLER_BUTTON_A, false), button(SDL_CONTROLLER_BUTTON_START, false),
          button(SDL_CONTROLLER_BUTTON_BACK, true)},
         {0x01},
         false},
        {{button(SDL_CONTROLLER_BUTTON_BACK, false), trigger(32767)}, {0xC8}, false},
        {{trigger(-10923), Pointer(SDL_MOUSEBUTTONDOWN, ours)}, {0xC8}, false},
        {{Pointer(SDL_FINGERDOWN, ours), Pointer(SDL_MOUSEBUTTONUP, ours)}, {0xC8}, false},
        {{Pointer(SDL_FINGERUP, ours), Pointer(SDL_MOUSEBUTTONDOWN, 12345)}, {}, false},
        {{window(SDL_WINDOWEVENT_MINIMIZED)}, {}, true},
        {{window(SDL_WINDOWEVENT_RESTORED)}, {}, false},
        {{Pointer(SDL_MOUSEBUTTONDOWN, ours, SDL_BUTTON_RIGHT),
          button(SDL_CONTROLLER_BUTTON_A, true), window(SDL_WINDOWEVENT_FOCUS_LOST)},
         {},
         true},
        // Back with A and the button held: they count once pressed anew.
        {{window(SDL_WINDOWEVENT_FOCUS_GAINED), [&] { display.WaitForReturn(); }}, {}, false},
        {{button(SDL_CONTROLLER_BUTTON_A, false)}, {}, false},
        {{button(SDL_CONTROLLER_BUTTON_A, true)}, {0xC8}, false},
        // Back with B, pressed while away: it counts once pressed anew, and
        // Start, pressed right after the return, counts at once (read by SDL
        // at once, as the pump after a wait may not).
        {{button(SDL_CONTROLLER_BUTTON_A, false), window(SDL_WINDOWEVENT_FOCUS_LOST)}, {}, true},
        {{button(SDL_CONTROLLER_BUTTON_B, true), window(SDL_WINDOWEVENT_FOCUS_GAINED),
          [&] { display.WaitForReturn(); }, button(SDL_CONTROLLER_BUTTON_START, true),
          SDL_JoystickUpdate},
         {0x19},
         false},
        {{[&] { SDL_JoystickDetachVirtual(index); }}, {}, false},  // unplugged while held
        // The second pad flies player 2; unplugged, each pad takes back its
        // slot, whichever returns first; a third flies nobody. A pointer flies
        // its zone's player, in full screen of the picture 768 wide from 128.
        {{[&] { display.SetPlayers(2); }, plug(0)}, {0xC8}, false},
        {{plug(1)}, {0x11, 0xC8}, false},
        {{unplug}, {}, false},
        {{plug(1)}, {0x11}, false},
        {{plug(0), plug(2)}, {0x11, 0xC8}, false},
        {{unplug, Pointer(SDL_MOUSEBUTTONDOWN, ours, 1, 7)}, {0xC8}, false},
        {{Pointer(SDL_MOUSEBUTTONUP, ours), Pointer(SDL_MOUSEBUTTONDOWN, ours, 1, 8)},
         {0x11},
         false},
        {{[&] { display.ToggleFullScreen(handle); }, Pointer(SDL_MOUSEBUTTONUP, ours),
          Pointer(SDL_MOUSEBUTTONDOWN, ours, 1, 511)},
         {0xC8},
         false},
        {{Pointer(SDL_FINGERDOWN, ours, 0, 512)}, {0x11, 0xC8}, false},
    };
    for (const auto& step : steps) {
      for (const auto& act : step.acts) act();
      display.Pump();
      uint8_t keys[256];
      EXPECT_TRUE(display.ReadKeyboard(keys));
      std::vector<int> down;
      for (int i = 0; i < 256; ++i)
        if (keys[i]) down.push_back(i);
      EXPECT_EQ(down, step.down) << "step " << &step - steps;
      EXPECT_EQ(display.Away(), step.away) << "step " << &step - steps;
    }
    EXPECT_EQ(display.Held().Pads(), 0);
    SDL_JoystickClose(pad);
    // The zones' strips since the first picture of two players, 3 x 48 rows.
    EXPECT_EQ(
        std::vector<uint32_t>({FramebufferPixel(shown, 511, 767), FramebufferPixel(shown, 512, 624),
                               FramebufferPixel(shown, 512, 623)}),
        std::vector<uint32_t>({0xFF0000, 0x0072FF, 0}));
  });
  unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
}

TEST_F(SdlDisplayTest, AMessageBoxThatCannotBeShownIsPrintedAndAnsweredOk) {
  SdlDisplay display;
  ASSERT_TRUE(display.Available());
  hosted::RunProcess(display, [&] {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 16, 16);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(window, "Spielstand:\n\nPlayer 1: 3 Punkte\n", "Game Over!", MB_OK),
              IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Gr\xFC\xDF", nullptr, MB_ICONERROR), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Game Over!\nSpielstand:\n\nPlayer 1: 3 Punkte\n\nError\nGr\xC3\xBC\xC3\x9F\n");
    EXPECT_EQ(display.PrintedMessageBoxes(), 2);
  });
}

TEST_F(SdlDisplayTest, TheClockRunsAtTenMegahertz) {
  SdlDisplay display;
  int64_t start = display.ReadCounter();
  uint32_t startTick = display.TickCount();
  display.Sleep(30);
  int64_t end = display.ReadCounter();
  uint32_t endTick = display.TickCount();
  EXPECT_GE(end - start, 30 * 10000);
  EXPECT_LT(end - start, 5 * 10000000);  // well below 5 s, whatever the load
  EXPECT_GE(endTick - startTick, 30u);
  EXPECT_LT(endTick - startTick, 5000u);
  // GetTickCount is the same clock in milliseconds.
  int64_t counter = display.ReadCounter();
  uint32_t tick = display.TickCount();
  EXPECT_LE(static_cast<uint32_t>(counter / 10000), tick);
  EXPECT_LE(tick - static_cast<uint32_t>(counter / 10000), 1000u);
}

// The display rests only in a wait: a reading right after another, with
// nothing else asked in between, and not after work of its own.
TEST_F(SdlDisplayTest, TheClockRestsInWaitsOnly) {
  // Readings count as a wait only within 20 us of each other, which a busy
  // machine or a sanitizer now and then misses between two calls in a row:
  // the rests are tried a few times and must come out exactly so once.
  const std::vector<int> expected = {2, 2, 2};
  std::vector<int> rests;
  for (int attempt = 0; attempt < 5 && rests != expected; ++attempt) {
    rests.clear();
    SdlDisplay display;
    hosted::RunProcess(display, [&] {
      LARGE_INTEGER count;
      QueryPerformanceCounter(&count);
      QueryPerformanceCounter(&count);
      QueryPerformanceCounter(&count);
      rests.push_back(display.Rests());
      GetTickCount();
      QueryPerformanceCounter(&count);
      rests.push_back(display.Rests());
      auto workDone = std::chrono::steady_clock::now() + std::chrono::microseconds(100);
      while (std::chrono::steady_clock::now() < workDone) {
      }
      QueryPerformanceCounter(&count);
      rests.push_back(display.Rests());
    });
  }
  EXPECT_EQ(rests, expected);
  // A rest sleeps a tenth of a millisecond, or until 1.5 ms before the
  // foreseen end: 3.5 ms after the answer, 1.99 ms from now. Sleeps never
  // end early. 20 us after the answer it is work, and there is no rest.
  struct Case {
    int64_t foreseen;
    std::chrono::microseconds atLeast;
  };
  for (Case c :
       {Case{0, std::chrono::microseconds(100)}, Case{35000, std::chrono::microseconds(1990)}}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(hosted::RestInWait(1000, 1100, c.foreseen));
    EXPECT_GE(std::chrono::steady_clock::now() - start, c.atLeast);
  }
  EXPECT_FALSE(hosted::RestInWait(1000, 1200, 35000));
}

TEST(SdlText, AnsiBecomesUtf8) {
  EXPECT_EQ(sdl::Utf8FromAnsi(nullptr), "");
  EXPECT_EQ(sdl::Utf8FromAnsi(""), "");
  EXPECT_EQ(sdl::Utf8FromAnsi("Fehler Nr.1\n"), "Fehler Nr.1\n");
  EXPECT_EQ(sdl::Utf8FromAnsi("\xC4\xD6\xDC\xE4\xF6\xFC\xDF"),
            "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
  EXPECT_EQ(sdl::Utf8FromAnsi("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(sdl::Utf8FromAnsi("\x9F"), "\xC5\xB8");          // Y with diaeresis
  EXPECT_EQ(sdl::Utf8FromAnsi("a\x81z"), "a\xEF\xBF\xBDz");  // undefined: U+FFFD
  EXPECT_EQ(sdl::Utf8FromAnsi("\xFF"), "\xC3\xBF");
}

}  // namespace
