// Starting SDL's video, the screen and the scale.
#include "platform/hosted/display/sdl/sdl_video.h"

#include <SDL.h>

#include "platform/hosted/display/sdl/ending.h"
#include "platform/hosted/display/sdl/scaling.h"

namespace sdl {
namespace {

bool Named(const char* variable) {
  const char* value = SDL_getenv(variable);
  return value != nullptr && *value != 0;
}

bool OnX11() { return SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0; }

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

// The primary screen's place and size, and the scale unless one was chosen.
void MeasureScreen(Driver& driver) {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) == 0) {
    driver.originX = bounds.x;
    driver.originY = bounds.y;
  }
  driver.screenWidth = kFallbackWidth;
  driver.screenHeight = kFallbackHeight;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    driver.screenWidth = mode.w;
    driver.screenHeight = mode.h;
  }
  if (driver.scale == 0) driver.scale = DefaultScale(driver.screenWidth, driver.screenHeight);
}

}  // namespace

bool StartVideo(Driver& driver) {
  if (driver.video != Driver::Video::kUntried) return driver.video == Driver::Video::kReady;
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
      driver.video = Driver::Video::kMissing;
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    driver.video = Driver::Video::kMissing;
    return false;
  }
  driver.video = Driver::Video::kReady;
  SDL_StopTextInput();  // keys are read as key states; no input method wanted
  // On X11 the framebuffers go to the screen as they are (shared memory),
  // not through an OpenGL texture: SDL would otherwise make every window
  // anew for OpenGL at its first picture, losing its place and full screen,
  // and then copy the whole framebuffer into a texture for every present,
  // which without a graphics card costs more than the frame itself.
  if (OnX11()) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // After SDL's start, which may set Xlib's handlers of its own.
    if (!driver.lostLine.empty()) EndWhenXConnectionBreaks(driver.lostLine.c_str());
  }
  MeasureScreen(driver);
  driver.arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  if (driver.arrow) SDL_SetCursor(driver.arrow);
  driver.held.OpenPads();
  return true;
}

void StopVideo(Driver& driver) {
  for (Shown& shown : driver.shown) SDL_DestroyWindow(shown.window);
  driver.shown.clear();
  driver.held.ClosePads();
  if (driver.arrow) SDL_FreeCursor(driver.arrow);
  driver.arrow = nullptr;
  if (driver.video == Driver::Video::kReady) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

bool ChooseScale(Driver& driver, int32_t scale) {
  if (scale < 0) return false;
  if (!StartVideo(driver)) {
    driver.scale = scale;
    return true;
  }
  if (scale == 0) scale = DefaultScale(driver.screenWidth, driver.screenHeight);
  if (scale > LargestScaleOf(driver)) return false;
  driver.scale = scale;
  return true;
}

int32_t LargestScaleOf(Driver& driver) {
  return StartVideo(driver) ? LargestScale(driver.screenWidth, driver.screenHeight) : 1;
}

void LogicalDesktop(Driver& driver, int32_t* width, int32_t* height) {
  *width = kFallbackWidth;
  *height = kFallbackHeight;
  if (StartVideo(driver)) {
    *width = driver.screenWidth / driver.scale;
    *height = driver.screenHeight / driver.scale;
  }
}

void EndWhenScreenLost(Driver& driver, const std::string& line) {
  driver.lostLine = line;
  if (driver.video == Driver::Video::kReady && OnX11())
    EndWhenXConnectionBreaks(driver.lostLine.c_str());
}

}  // namespace sdl
