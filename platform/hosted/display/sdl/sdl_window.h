// The window mirror of the SDL display. Every visible top-level hosted window
// is an SDL window at scale times its desktop place and size, as large as its
// client area, without decoration for a popup (WS_POPUP) and with the
// system's frame otherwise; hidden windows have none. A window's picture
// changes only when the hosted platform presents a blit to it: its whole
// client area is copied from the desktop picture into its framebuffer, which
// is then shown once, so that no half frame is ever seen.
//
// Full screen (Alt+Enter, F11, StartInFullScreen) is a borderless window over
// the whole screen, at the desktop's own resolution, with the client area's
// picture at the largest whole-number scale that fits, centred on black.
// Switching back puts the window where it was. The hosted platform learns of
// neither the scale nor full screen: its windows keep their logical places.
//
// In a game of several players, the first pictures shown, for
// keys::kZonesShownFor milliseconds from the first, show each player's
// pointer zone (display/keys/inputs.h) as a strip of the player's colour
// along the picture's bottom edge; the next picture after that covers them
// again.
#pragma once

#include <cstdint>

#include "platform/hosted/display/display.h"
#include "platform/hosted/display/sdl/sdl_driver.h"

struct SDL_Rect;

namespace sdl {

// The mirror of `window`, visible or not; null for none.
Shown* FindShown(Driver& driver, HWND window);
// The mirror shown in SDL's window `windowId`; null for none of ours.
Shown* FindSdl(Driver& driver, uint32_t windowId);
// The SDL window that shows `window` while it is visible; null otherwise.
SDL_Window* WindowOf(const Driver& driver, HWND window);

// Display::WindowChanged and Display::WindowDestroyed: the mirror made,
// placed, shown (to the front, with the keyboard), hidden or ended.
void MirrorWindow(Driver& driver, HWND window, const hosted::TopWindow& view);
void EndMirror(Driver& driver, HWND window);
// Shows the client area's picture from the desktop, as it now is.
void Paint(Driver& driver, Shown& shown);
// Where the client area's picture is in its SDL window (or framebuffer) of
// `width` x `height`: at the display's scale from the top-left corner, or,
// in full screen, as large as fits, centred; and that scale.
SDL_Rect PictureArea(const Driver& driver, const Shown& shown, int width, int height,
                     int32_t* scale = nullptr);
// SdlDisplay::ToggleFullScreen (sdl_display.h).
void SwitchFullScreen(Driver& driver, HWND window);

}  // namespace sdl
