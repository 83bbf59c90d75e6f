// The message box, and the wait for the keys that would answer it to be up.
#include "platform/hosted/display/sdl/sdl_messagebox.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/hosted/display/sdl/box_focus.h"
#include "platform/hosted/display/sdl/ending.h"
#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/display/sdl/sdl_events.h"
#include "platform/hosted/display/sdl/sdl_window.h"
#include "platform/hosted/services.h"

namespace sdl {
namespace {

// SDL's box takes Return, Enter or Escape going up after going down as its
// answer, and the screen's key repeat sends a key held down again and again:
// a key held when the box came up would answer it without a new press. So
// the box comes up once those keys are up, events handled meanwhile.
void WaitForAnswerKeysUp(Driver& driver) {
  while (!Interrupted(driver)) {
    SDL_PumpEvents();
    if (!KeyboardOnOurs(driver)) return;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (!keys[SDL_SCANCODE_RETURN] && !keys[SDL_SCANCODE_KP_ENTER] && !keys[SDL_SCANCODE_ESCAPE])
      return;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kLongestEventWait)) HandleEvent(driver, event);
  }
}

// SDL's box; false when it could not be shown.
bool ShowSdlBox(Driver& driver, HWND owner, const std::string& text, const std::string& title,
                uint32_t flags) {
  SDL_Window* parent = hosted::Foreground() == owner ? WindowOf(driver, owner) : nullptr;
  // One OK button, which Return and Escape press too, as in MB_OK boxes.
  SDL_MessageBoxButtonData button{
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
      "OK"};
  SDL_MessageBoxData box{};
  box.flags = (flags & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : 0;
  box.window = parent;
  box.title = title.c_str();
  box.message = text.c_str();
  box.numbuttons = 1;
  box.buttons = &button;
  int pressed = 0;
  int watcher = WatchBoxFocus(parent);
  BeginChildBox();
  int shown = SDL_ShowMessageBox(&box, &pressed);
  EndChildBox();
  EndBoxFocus(watcher);
  // The box took the focus; the player has not left for all that.
  driver.attention = false;
  return shown == 0;
}

}  // namespace

int ShowMessageBox(Driver& driver, HWND owner, const char* text, const char* title,
                   uint32_t flags) {
  std::string utf8Text = Utf8FromAnsi(text);
  std::string utf8Title = Utf8FromAnsi(title);
  // A signal caught before or during the box: the process is ending.
  if (Interrupted(driver)) return IDOK;
  if (driver.video == Driver::Video::kReady) {
    WaitForAnswerKeysUp(driver);
    if (Interrupted(driver)) return IDOK;
    bool shown = ShowSdlBox(driver, owner, utf8Text, utf8Title, flags);
    if (shown || Interrupted(driver)) return IDOK;
  }
  std::fprintf(stderr, "%s\n%s\n", utf8Title.c_str(), utf8Text.c_str());
  std::fflush(stderr);
  ++driver.printedBoxes;
  return IDOK;
}

}  // namespace sdl
