// SDL windows over the hosted windows: made, placed, painted, full screen.
#include "platform/hosted/display/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/sdl/scaling.h"
#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/display/sdl/sdl_video.h"
#include "platform/hosted/services.h"

namespace sdl {
namespace {

int32_t Width(const RECT& r) { return r.right - r.left; }
int32_t Height(const RECT& r) { return r.bottom - r.top; }

// `value` times `scale`, kept within what a screen can place (X11's
// coordinates are 16-bit), so that no window overflows.
int Times(int32_t value, int32_t scale) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{value} * scale, -65536, 65536));
}

// Where a client area shows on the screen, at the display's scale.
SDL_Rect Scaled(const Driver& driver, const RECT& client) {
  return {driver.originX + Times(client.left, driver.scale),
          driver.originY + Times(client.top, driver.scale),
          std::max(1, Times(Width(client), driver.scale)),
          std::max(1, Times(Height(client), driver.scale))};
}

// Puts the SDL window over the client area at the display's scale, or over
// the whole screen while it is the full-screen window. SDL is told of full
// screen, so that a window manager keeps panels and other windows off it,
// and the window's place is set as well, for screens without one.
void Place(const Driver& driver, const Shown& shown) {
  SDL_Window* window = shown.window;
  if (shown.handle == driver.full) {
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, driver.originX, driver.originY);
    SDL_SetWindowSize(window, driver.screenWidth, driver.screenHeight);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  // Leaving full screen first, as SDL then restores a place of its own.
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowBordered(window, shown.popup ? SDL_FALSE : SDL_TRUE);
  SDL_Rect place = Scaled(driver, shown.client);
  SDL_SetWindowSize(window, place.w, place.h);
  SDL_SetWindowPosition(window, place.x, place.y);
}

// The zones' strips over the bottom of the picture, shown at `scale`, while
// a game of several players begins: from its first picture on, for
// keys::kZonesShownFor.
void PaintZones(Driver& driver, SDL_Surface* surface, const SDL_Rect& picture, int32_t scale) {
  int32_t players = driver.held.Players();
  if (players < 2 || players > keys::kMaxPlayers) return;
  uint64_t now = SDL_GetTicks64();
  if (driver.zonesUntil == 0) driver.zonesUntil = now + keys::kZonesShownFor;
  if (now >= driver.zonesUntil) return;
  int height = std::min(picture.h, Times(keys::kZoneStripHeight, scale));
  for (int32_t zone = 0; zone < players; ++zone) {
    int left = keys::ZoneLeft(zone, picture.w, players);
    SDL_Rect strip{picture.x + left, picture.y + picture.h - height,
                   keys::ZoneLeft(zone + 1, picture.w, players) - left, height};
    uint32_t colour = keys::kPlayers[zone].colour;
    SDL_FillRect(
        surface, &strip,
        SDL_MapRGB(surface->format, colour >> 16 & 0xFF, colour >> 8 & 0xFF, colour & 0xFF));
  }
}

}  // namespace

Shown* FindShown(Driver& driver, HWND window) {
  for (Shown& shown : driver.shown)
    if (shown.handle == window) return &shown;
  return nullptr;
}

Shown* FindSdl(Driver& driver, uint32_t windowId) {
  for (Shown& shown : driver.shown)
    if (SDL_GetWindowID(shown.window) == windowId) return &shown;
  return nullptr;
}

SDL_Window* WindowOf(const Driver& driver, HWND window) {
  for (const Shown& shown : driver.shown)
    if (shown.handle == window && shown.visible) return shown.window;
  return nullptr;
}

void MirrorWindow(Driver& driver, HWND window, const hosted::TopWindow& view) {
  Shown* shown = FindShown(driver, window);
  if (!view.visible) {
    if (shown && shown->visible) {
      SDL_HideWindow(shown->window);
      shown->visible = false;
    }
    return;
  }
  if (!StartVideo(driver)) return;
  std::string title = Utf8FromAnsi(view.title);
  if (shown == nullptr) {
    Uint32 flags = SDL_WINDOW_HIDDEN | (view.popup ? SDL_WINDOW_BORDERLESS : 0);
    SDL_Rect place = Scaled(driver, view.client);
    SDL_Window* created =
        SDL_CreateWindow(title.c_str(), place.x, place.y, place.w, place.h, flags);
    // Without an SDL window the hosted window simply stays unseen.
    if (created == nullptr) return;
    driver.shown.push_back({window, created, view.client, view.popup, false, nullptr, false});
    shown = &driver.shown.back();
  } else {
    SDL_SetWindowTitle(shown->window, title.c_str());
  }
  shown->client = view.client;
  shown->popup = view.popup;
  if (!shown->visible && driver.startFull) {
    driver.startFull = false;
    driver.full = window;
  }
  Place(driver, *shown);
  if (!shown->visible) {
    shown->visible = true;
    SDL_ShowWindow(shown->window);
    // A window that is shown comes to the front with the keyboard, as the
    // hosted platform makes it the foreground window.
    SDL_RaiseWindow(shown->window);
    SDL_SetWindowInputFocus(shown->window);
  }
  Paint(driver, *shown);
}

void EndMirror(Driver& driver, HWND window) {
  auto it = std::find_if(driver.shown.begin(), driver.shown.end(),
                         [window](const Shown& shown) { return shown.handle == window; });
  if (it == driver.shown.end()) return;
  if (driver.full == window) driver.full = nullptr;
  SDL_DestroyWindow(it->window);
  driver.shown.erase(it);
}

SDL_Rect PictureArea(const Driver& driver, const Shown& shown, int width, int height,
                     int32_t* pictureScale) {
  int32_t clientWidth = Width(shown.client);
  int32_t clientHeight = Height(shown.client);
  int32_t scale = driver.scale;
  int x = 0, y = 0;
  if (shown.handle == driver.full) {
    scale = FitScale(width, height, clientWidth, clientHeight);
    x = (width - Times(clientWidth, scale)) / 2;
    y = (height - Times(clientHeight, scale)) / 2;
  }
  if (pictureScale != nullptr) *pictureScale = scale;
  return {x, y, Times(clientWidth, scale), Times(clientHeight, scale)};
}

// The whole client area goes into the framebuffer, then the framebuffer is
// shown once: the screen only ever sees complete pictures. In full screen
// the picture is as large as fits, centred; the black around it is painted
// once per framebuffer, and then only the picture is sent to the screen.
void Paint(Driver& driver, Shown& shown) {
  SDL_Surface* surface = SDL_GetWindowSurface(shown.window);
  if (surface == nullptr) return;
  int32_t scale = 1;
  SDL_Rect picture = PictureArea(driver, shown, surface->w, surface->h, &scale);
  bool whole = surface != shown.blackened;
  if (whole) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    shown.blackened = surface;
  }
  PaintScaled(hosted::Desktop(), shown.client, scale, picture.x, picture.y, surface,
              &driver.scratch);
  PaintZones(driver, surface, picture, scale);
  SDL_Rect all{0, 0, surface->w, surface->h};
  if (whole || !SDL_IntersectRect(&picture, &all, &picture)) {
    SDL_UpdateWindowSurface(shown.window);
  } else {
    SDL_UpdateWindowSurfaceRects(shown.window, &picture, 1);
  }
}

void SwitchFullScreen(Driver& driver, HWND window) {
  Shown* shown = FindShown(driver, driver.full ? driver.full : window);
  if (shown == nullptr || !shown->visible) return;
  driver.full = driver.full ? nullptr : window;
  Place(driver, *shown);
  Paint(driver, *shown);
}

}  // namespace sdl
