// The pump, the focus, the hold while away and the keyboard.
#include "platform/hosted/display/sdl/sdl_events.h"

#include <SDL.h>

#include <algorithm>

#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/sdl/sdl_window.h"
#include "platform/hosted/services.h"

namespace sdl {
namespace {

// Alt+Enter (either Enter) and F11, as most games on these systems switch.
bool SwitchesFullScreen(const SDL_Keysym& key) {
  if (key.sym == SDLK_F11) return true;
  return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
}

// The key that shows M, alone, wherever it is on the keyboard.
bool Mutes(const SDL_Keysym& key) {
  return key.sym == SDLK_m && (key.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) == 0;
}

void HandleWindowEvent(Driver& driver, const SDL_WindowEvent& event) {
  Shown* shown = FindSdl(driver, event.windowID);
  if (shown == nullptr) return;
  // Window procedures run below and may change the windows: keep only the
  // handle.
  HWND handle = shown->handle;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      hosted::PostQueued(handle, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      driver.focused = event.windowID;
      driver.attention = true;
      hosted::SetForeground(handle);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // The focus may already have moved on to another of our windows.
      if (driver.focused == event.windowID) {
        driver.focused = 0;
        driver.held.LetGoOfPointers();
      }
      if (hosted::Foreground() == handle) hosted::SetForeground(nullptr);
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
      if (SDL_UpdateWindowSurface(shown->window) != 0) Paint(driver, *shown);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // A window manager may give a size other than the one asked for: the
      // picture is laid out again in the new framebuffer.
      Paint(driver, *shown);
      break;
    default:
      break;
  }
}

// The zone of the picture in which a pointer went down: SDL gives a mouse's
// place in the window's pixels, a finger's as a fraction of the window.
int32_t ZoneOf(const Driver& driver, const Shown& shown, const SDL_Event& event) {
  int width = 0, height = 0;
  SDL_GetWindowSize(shown.window, &width, &height);
  SDL_Rect picture = PictureArea(driver, shown, width, height);
  int x = event.type == SDL_FINGERDOWN
              ? static_cast<int>(event.tfinger.x * static_cast<float>(width))
              : event.button.x;
  return keys::PointerZone(x - picture.x, picture.w, driver.held.Players());
}

}  // namespace

void PumpEvents(Driver& driver) {
  if (driver.video != Driver::Video::kReady) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleEvent(driver, event);
}

void HandleEvent(Driver& driver, const SDL_Event& event) {
  if (event.type == SDL_KEYDOWN && !event.key.repeat && SwitchesFullScreen(event.key.keysym)) {
    if (const Shown* shown = FindSdl(driver, event.key.windowID))
      SwitchFullScreen(driver, shown->handle);
    return;
  }
  if (event.type == SDL_KEYDOWN && !event.key.repeat && Mutes(event.key.keysym)) {
    driver.muted = !driver.muted;
    return;
  }
  uint32_t pointerWindow = 0;  // where a pointer went down
  if (event.type == SDL_MOUSEBUTTONDOWN) pointerWindow = event.button.windowID;
  if (event.type == SDL_FINGERDOWN) pointerWindow = event.tfinger.windowID;
  const Shown* shown = FindSdl(driver, pointerWindow);
  driver.held.Take(event, shown != nullptr, shown ? ZoneOf(driver, *shown, event) : 0);
  if (event.type == SDL_WINDOWEVENT) HandleWindowEvent(driver, event.window);
}

bool KeyboardOnOurs(Driver& driver) {
  SDL_Window* focus = SDL_GetKeyboardFocus();
  return focus != nullptr && FindSdl(driver, SDL_GetWindowID(focus)) != nullptr;
}

void ReadKeys(Driver& driver, uint8_t state[256]) {
  const Uint8* keys = nullptr;
  int count = 0;
  if (driver.video == Driver::Video::kReady && KeyboardOnOurs(driver))
    keys = SDL_GetKeyboardState(&count);
  driver.held.Snapshot(keys, count, driver.focused != 0, state);
  driver.latch.Apply(state);
}

bool PlayerAway(const Driver& driver) {
  if (!driver.attention) return false;
  if (driver.focused == 0) return true;
  return std::any_of(driver.shown.begin(), driver.shown.end(),
                     [](const Shown& shown) { return shown.visible && shown.minimised; });
}

void WaitForPlayer(Driver& driver) {
  // SDL would read the game controllers every millisecond of its wait; they
  // count for nothing meanwhile, and are read again on return.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  while (PlayerAway(driver) && !Interrupted(driver)) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kLongestEventWait)) HandleEvent(driver, event);
  }
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "1");
  SDL_GameControllerUpdate();
  // The latch takes what is held at this moment, not at the game's next
  // read: whatever is pressed after the return counts.
  driver.latch.Arm();
  uint8_t held[256];
  ReadKeys(driver, held);
}

}  // namespace sdl
