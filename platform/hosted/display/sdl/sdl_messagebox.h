// Message boxes of the SDL display: SDL's own, modal, with one OK button,
// owned by our window in front and given the keyboard where no window manager
// does (box_focus.h). A box comes up once Return, Enter and Escape are up, so
// that only a new press answers it (a pointer or Space never does). A signal
// caught (EndOnSignals) ends the box at once (ending.h). Where SDL cannot
// show a box (no screen), the box's title and text go to standard error.
#pragma once

#include <cstdint>

#include "platform/hosted/display/sdl/sdl_driver.h"

namespace sdl {

// Display::MessageBox: IDOK, however the box was closed.
int ShowMessageBox(Driver& driver, HWND owner, const char* text, const char* title, uint32_t flags);

}  // namespace sdl
