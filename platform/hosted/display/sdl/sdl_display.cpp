// The SDL display: windows, pictures, clock, keyboard and message boxes.
#include "platform/hosted/display/sdl/sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/hosted/display/sdl/box_focus.h"
#include "platform/hosted/display/sdl/ending.h"
#include "platform/hosted/display/sdl/scaling.h"
#include "platform/hosted/display/sdl/sdl_keys.h"
#include "platform/hosted/services.h"

namespace sdl {
namespace {

constexpr int32_t kFallbackWidth = 1024;  // the desktop when there is no screen
constexpr int32_t kFallbackHeight = 768;
constexpr uint64_t kCounterRate = 10000000;  // the hosted performance counter: 10 MHz
// ms: the longest wait for an event while the program waits for the player
constexpr int kAwayWait = 100;

bool Named(const char* variable) {
  const char* value = SDL_getenv(variable);
  return value != nullptr && *value != 0;
}

// SDL's video drivers that can put a window on a screen the player sees, in
// SDL's order, as a list for SDL_HINT_VIDEODRIVER. SDL would otherwise fall
// back to drivers that show nothing (offscreen, dummy) and the game would run
// unseen; X11 and Wayland count only where a session names their display, and
// the console driver is left out, as it would take over the whole screen.
// Each stays available on request through SDL_VIDEODRIVER.
std::string ScreenDrivers() {
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    std::string name = SDL_GetVideoDriver(i);
    if (name == "offscreen" || name == "dummy" || name == "evdev" || name == "KMSDRM") continue;
    if (name == "x11" && !Named("DISPLAY")) continue;
    if (name == "wayland" && !Named("WAYLAND_DISPLAY")) continue;
    if (!drivers.empty()) drivers += ',';
    drivers += name;
  }
  return drivers;
}

int32_t Width(const RECT& r) { return r.right - r.left; }
int32_t Height(const RECT& r) { return r.bottom - r.top; }

// `value` times `scale`, kept within what a screen can place (X11's
// coordinates are 16-bit), so that no window overflows.
int Times(int32_t value, int32_t scale) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{value} * scale, -65536, 65536));
}

// Alt+Enter (either Enter) and F11, as most games on these systems switch.
bool SwitchesFullScreen(const SDL_Keysym& key) {
  if (key.sym == SDLK_F11) return true;
  return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
}

}  // namespace

SdlDisplay::SdlDisplay() {
  uint64_t frequency = SDL_GetPerformanceFrequency();
  frequency_ = frequency ? frequency : 1;
}

SdlDisplay::~SdlDisplay() {
  for (Shown& shown : shown_) SDL_DestroyWindow(shown.window);
  shown_.clear();
  held_.ClosePads();
  if (arrow_) SDL_FreeCursor(arrow_);
  if (video_ == Video::kReady) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

// Opens SDL's video once, on the first question that needs a screen.
bool SdlDisplay::StartVideo() {
  if (video_ != Video::kUntried) return video_ == Video::kReady;
  // Ctrl+C in a terminal must still end the program: the game ignores close
  // requests, so SDL must not turn signals into quit events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A windowed game on a shared desktop: the screen saver and the compositor
  // go on working as for any other window.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Close requests are the program's business (WM_CLOSE), not SDL's.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A full-screen window stays when a message box takes the focus.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!Named("SDL_VIDEODRIVER")) {
    std::string drivers = ScreenDrivers();
    if (drivers.empty()) {
      video_ = Video::kMissing;
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    video_ = Video::kMissing;
    return false;
  }
  video_ = Video::kReady;
  SDL_StopTextInput();  // keys are read as key states; no input method wanted
  // On X11 the framebuffers go to the screen as they are (shared memory),
  // not through an OpenGL texture: SDL would otherwise make every window
  // anew for OpenGL at its first picture, losing its place and full screen,
  // and then copy the whole framebuffer into a texture for every present,
  // which without a graphics card costs more than the frame itself.
  if (SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // After SDL's start, which may set Xlib's handlers of its own.
    if (!lostLine_.empty()) EndWhenXConnectionBreaks(lostLine_.c_str());
  }
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) == 0) {
    originX_ = bounds.x;
    originY_ = bounds.y;
  }
  screenWidth_ = kFallbackWidth;
  screenHeight_ = kFallbackHeight;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    screenWidth_ = mode.w;
    screenHeight_ = mode.h;
  }
  if (scale_ == 0) scale_ = DefaultScale(screenWidth_, screenHeight_);
  arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  if (arrow_) SDL_SetCursor(arrow_);
  held_.OpenPads();
  return true;
}

void SdlDisplay::EndOnSignals() {
  if (!endOnSignals_) CatchEndingSignals();
  endOnSignals_ = true;
}

void SdlDisplay::EndWhenScreenLost(const std::string& line) {
  lostLine_ = line;
  if (video_ == Video::kReady && SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0)
    EndWhenXConnectionBreaks(lostLine_.c_str());
}

// Once: the process is ending, and the platform may still ask the display
// things on the way out.
void SdlDisplay::EndIfSignalled() {
  if (!endOnSignals_ || endingSignal_ != 0 || CaughtSignal() == 0) return;
  endingSignal_ = CaughtSignal();
  ExitProcess(static_cast<UINT>(128 + endingSignal_));
}

SdlDisplay::Shown* SdlDisplay::Find(HWND window) {
  for (Shown& shown : shown_)
    if (shown.handle == window) return &shown;
  return nullptr;
}

SdlDisplay::Shown* SdlDisplay::FindSdl(uint32_t windowId) {
  for (Shown& shown : shown_)
    if (SDL_GetWindowID(shown.window) == windowId) return &shown;
  return nullptr;
}

SDL_Window* SdlDisplay::WindowOf(HWND window) const {
  for (const Shown& shown : shown_)
    if (shown.handle == window && shown.visible) return shown.window;
  return nullptr;
}

bool SdlDisplay::SetScale(int32_t scale) {
  if (scale < 0) return false;
  if (!StartVideo()) {
    scale_ = scale;
    return true;
  }
  if (scale == 0) scale = DefaultScale(screenWidth_, screenHeight_);
  if (scale > LargestScale()) return false;
  scale_ = scale;
  return true;
}

int32_t SdlDisplay::LargestScale() {
  return StartVideo() ? sdl::LargestScale(screenWidth_, screenHeight_) : 1;
}

bool SdlDisplay::Available() { return StartVideo(); }

void SdlDisplay::DesktopSize(int32_t* width, int32_t* height) {
  *width = kFallbackWidth;
  *height = kFallbackHeight;
  if (StartVideo()) {
    *width = screenWidth_ / scale_;
    *height = screenHeight_ / scale_;
  }
}

int64_t SdlDisplay::Now() const {
  // Split so that the scaling cannot overflow for any counter value.
  uint64_t count = SDL_GetPerformanceCounter();
  uint64_t ticks =
      count / frequency_ * kCounterRate + count % frequency_ * kCounterRate / frequency_;
  return static_cast<int64_t>(ticks & INT64_MAX);
}

int64_t SdlDisplay::ReadCounter() { return answered_ = Now(); }

uint32_t SdlDisplay::TickCount() { return static_cast<uint32_t>(Now() / 10000); }

void SdlDisplay::Rest(int64_t foreseen) {
  EndIfSignalled();
  if (hosted::RestInWait(answered_, Now(), foreseen)) ++rests_;
}

void SdlDisplay::Sleep(uint32_t milliseconds) {
  SDL_Delay(milliseconds);
  EndIfSignalled();
}

void SdlDisplay::WindowChanged(HWND window, const hosted::TopWindow& view) {
  Shown* shown = Find(window);
  if (!view.visible) {
    if (shown && shown->visible) {
      SDL_HideWindow(shown->window);
      shown->visible = false;
    }
    return;
  }
  if (!StartVideo()) return;
  std::string title = Utf8FromAnsi(view.title);
  if (shown == nullptr) {
    Uint32 flags = SDL_WINDOW_HIDDEN | (view.popup ? SDL_WINDOW_BORDERLESS : 0);
    SDL_Rect place = Scaled(view.client);
    SDL_Window* created =
        SDL_CreateWindow(title.c_str(), place.x, place.y, place.w, place.h, flags);
    // Without an SDL window the hosted window simply stays unseen.
    if (created == nullptr) return;
    shown_.push_back({window, created, view.client, view.popup, false, nullptr, false});
    shown = &shown_.back();
  } else {
    SDL_SetWindowTitle(shown->window, title.c_str());
  }
  shown->client = view.client;
  shown->popup = view.popup;
  if (!shown->visible && startFull_) {
    startFull_ = false;
    full_ = window;
  }
  Place(*shown);
  if (!shown->visible) {
    shown->visible = true;
    SDL_ShowWindow(shown->window);
    // A window that is shown comes to the front with the keyboard, as the
    // hosted platform makes it the foreground window.
    SDL_RaiseWindow(shown->window);
    SDL_SetWindowInputFocus(shown->window);
  }
  Paint(*shown);
}

void SdlDisplay::WindowDestroyed(HWND window) {
  auto it = std::find_if(shown_.begin(), shown_.end(),
                         [window](const Shown& shown) { return shown.handle == window; });
  if (it == shown_.end()) return;
  if (full_ == window) full_ = nullptr;
  SDL_DestroyWindow(it->window);
  shown_.erase(it);
}

// Puts the SDL window over the client area at the display's scale, or over
// the whole screen while it is the full-screen window. SDL is told of full
// screen, so that a window manager keeps panels and other windows off it,
// and the window's place is set as well, for screens without one.
void SdlDisplay::Place(const Shown& shown) {
  SDL_Window* window = shown.window;
  if (shown.handle == full_) {
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, originX_, originY_);
    SDL_SetWindowSize(window, screenWidth_, screenHeight_);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  // Leaving full screen first, as SDL then restores a place of its own.
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowBordered(window, shown.popup ? SDL_FALSE : SDL_TRUE);
  SDL_Rect place = Scaled(shown.client);
  SDL_SetWindowSize(window, place.w, place.h);
  SDL_SetWindowPosition(window, place.x, place.y);
}

// Where a client area shows on the screen, at the display's scale.
SDL_Rect SdlDisplay::Scaled(const RECT& client) const {
  return {originX_ + Times(client.left, scale_), originY_ + Times(client.top, scale_),
          std::max(1, Times(Width(client), scale_)), std::max(1, Times(Height(client), scale_))};
}

// The whole client area goes into the framebuffer, then the framebuffer is
// shown once: the screen only ever sees complete pictures. In full screen
// the picture is as large as fits, centred; the black around it is painted
// once per framebuffer, and then only the picture is sent to the screen.
void SdlDisplay::Paint(Shown& shown) {
  SDL_Surface* surface = SDL_GetWindowSurface(shown.window);
  if (surface == nullptr) return;
  int32_t width = Width(shown.client);
  int32_t height = Height(shown.client);
  int32_t scale = scale_;
  int32_t x = 0, y = 0;
  if (shown.handle == full_) {
    scale = FitScale(surface->w, surface->h, width, height);
    x = (surface->w - Times(width, scale)) / 2;
    y = (surface->h - Times(height, scale)) / 2;
  }
  bool whole = surface != shown.blackened;
  if (whole) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    shown.blackened = surface;
  }
  PaintScaled(hosted::Desktop(), shown.client, scale, x, y, surface, &scratch_);
  SDL_Rect picture{x, y, Times(width, scale), Times(height, scale)};
  SDL_Rect all{0, 0, surface->w, surface->h};
  if (whole || !SDL_IntersectRect(&picture, &all, &picture)) {
    SDL_UpdateWindowSurface(shown.window);
  } else {
    SDL_UpdateWindowSurfaceRects(shown.window, &picture, 1);
  }
}

void SdlDisplay::ToggleFullScreen(HWND window) {
  Shown* shown = Find(full_ ? full_ : window);
  if (shown == nullptr || !shown->visible) return;
  full_ = full_ ? nullptr : window;
  Place(*shown);
  Paint(*shown);
}

void SdlDisplay::Present(HWND window, const RECT&) {
  Shown* shown = Find(window);
  if (shown && shown->visible) Paint(*shown);
}

void SdlDisplay::Pump() {
  EndIfSignalled();
  if (video_ != Video::kReady) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) Handle(event);
}

void SdlDisplay::Handle(const SDL_Event& event) {
  if (event.type == SDL_KEYDOWN && !event.key.repeat && SwitchesFullScreen(event.key.keysym)) {
    if (const Shown* shown = FindSdl(event.key.windowID)) ToggleFullScreen(shown->handle);
    return;
  }
  uint32_t pointerWindow = 0;  // where a pointer went down
  if (event.type == SDL_MOUSEBUTTONDOWN) pointerWindow = event.button.windowID;
  if (event.type == SDL_FINGERDOWN) pointerWindow = event.tfinger.windowID;
  held_.Take(event, FindSdl(pointerWindow) != nullptr);
  if (event.type != SDL_WINDOWEVENT) return;
  Shown* shown = FindSdl(event.window.windowID);
  if (shown == nullptr) return;
  // Window procedures run below and may change the windows: keep only
  // the handle.
  HWND handle = shown->handle;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      hosted::PostQueued(handle, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      focused_ = event.window.windowID;
      attention_ = true;
      hosted::SetForeground(handle);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // The focus may already have moved on to another of our windows.
      if (focused_ == event.window.windowID) {
        focused_ = 0;
        held_.LetGoOfPointers();
      }
      if (GetForegroundWindow() == handle) hosted::SetForeground(nullptr);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      shown->minimised = true;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      shown->minimised = false;
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      // What was last presented, again; the picture itself changes only
      // with a blit.
      if (SDL_UpdateWindowSurface(shown->window) != 0) Paint(*shown);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // A window manager may give a size other than the one asked for:
      // the picture is laid out again in the new framebuffer.
      Paint(*shown);
      break;
    default:
      break;
  }
}

bool SdlDisplay::ReadKeyboard(uint8_t state[256]) {
  EndIfSignalled();
  const Uint8* keys = nullptr;
  int count = 0;
  if (video_ == Video::kReady) {
    SDL_Window* focus = SDL_GetKeyboardFocus();
    if (focus != nullptr && FindSdl(SDL_GetWindowID(focus)) != nullptr)
      keys = SDL_GetKeyboardState(&count);
  }
  held_.Snapshot(keys, count, focused_ != 0, state);
  return true;
}

bool SdlDisplay::Away() {
  if (!attention_) return false;
  if (focused_ == 0) return true;
  return std::any_of(shown_.begin(), shown_.end(),
                     [](const Shown& shown) { return shown.visible && shown.minimised; });
}

void SdlDisplay::WaitForReturn() {
  // SDL would read the game controllers every millisecond of its wait; they
  // count for nothing meanwhile, and are read again on return.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  while (Away()) {
    EndIfSignalled();
    SDL_Event event;
    // A tenth of a second at most, for the signals, which SDL's wait does
    // not notice.
    if (SDL_WaitEventTimeout(&event, kAwayWait)) Handle(event);
  }
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "1");
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  held_.Forget(keys, count);
}

// SDL's box takes Return, Enter or Escape going up after going down as its
// answer, and the screen's key repeat sends a key held down again and again:
// a key held when the box came up would answer it without a new press. So
// the box comes up once those keys are up, events handled meanwhile.
void SdlDisplay::WaitForAnswerKeysUp() {
  for (;;) {
    EndIfSignalled();
    SDL_PumpEvents();
    SDL_Window* focus = SDL_GetKeyboardFocus();
    if (focus == nullptr || FindSdl(SDL_GetWindowID(focus)) == nullptr) return;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (!keys[SDL_SCANCODE_RETURN] && !keys[SDL_SCANCODE_KP_ENTER] && !keys[SDL_SCANCODE_ESCAPE])
      return;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kAwayWait)) Handle(event);
  }
}

int SdlDisplay::MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) {
  std::string utf8Text = Utf8FromAnsi(text);
  std::string utf8Title = Utf8FromAnsi(title);
  EndIfSignalled();
  if (video_ == Video::kReady) {
    WaitForAnswerKeysUp();
    SDL_Window* parent = GetForegroundWindow() == owner ? WindowOf(owner) : nullptr;
    // One OK button, which Return and Escape press too, as in MB_OK boxes.
    SDL_MessageBoxButtonData button{
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
        "OK"};
    SDL_MessageBoxData box{};
    box.flags = (flags & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : 0;
    box.window = parent;
    box.title = utf8Title.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = 1;
    box.buttons = &button;
    int pressed = 0;
    int watcher = WatchBoxFocus(parent);
    BeginChildBox();
    int shown = SDL_ShowMessageBox(&box, &pressed);
    EndChildBox();
    EndBoxFocus(watcher);
    // The box took the focus; the player has not left for all that.
    attention_ = false;
    // A signal ends the box at once (ending.h), and then the process.
    EndIfSignalled();
    // However the box was closed, an MB_OK box answers IDOK.
    if (shown == 0) return IDOK;
  }
  std::fprintf(stderr, "%s\n%s\n", utf8Title.c_str(), utf8Text.c_str());
  std::fflush(stderr);
  ++printedBoxes_;
  return IDOK;
}

}  // namespace sdl
