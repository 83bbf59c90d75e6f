// The SDL display: hosted windows on a real screen, with SDL 2.
//
// What the game sees: a desktop of the primary screen's size divided by a
// whole-number scale (SetScale), every logical pixel shown as a block of
// scale x scale; every visible top-level window an SDL window at its desktop
// place, whose whole picture a blit to the primary surface shows at once;
// the keyboard from SDL, with pointers, Space and game controllers folded in
// for the line-up (display/keys/inputs.h), all up while none of its windows
// has the focus; SDL's modal message boxes, answered only by a new press;
// close requests as WM_CLOSE; the platform's sound on SDL's audio device
// (sdl_audio.h), and its rumbles on the players' game pads. The game never
// learns of the scale, nor of full screen (Alt+Enter and F11 switch a window
// to a borderless full screen and back), nor of muting (M mutes and unmutes,
// and never reaches the keyboard snapshot).
//
// What callers rely on:
//   - while the player is away (a window of ours minimised, or the focus gone
//     from our windows), the program is held, the processor at rest; on
//     return, whatever is still held counts only once pressed again;
//   - after EndOnSignals, SIGINT, SIGTERM and SIGHUP end the process with
//     128 + the signal, at its next platform call and at once during a
//     message box, through this display as the process's hooks
//     (EndRequested): run the process with it as its hooks, or as the hooks
//     that a wrapping display passes on to;
//   - whatever runs beside the program for a message box ends with it;
//   - without a screen (no X11 or Wayland session) Available() is false, so
//     "DDRAW.DLL" cannot be loaded, the desktop is 1024 x 768 whatever the
//     scale, and message boxes are printed on standard error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/hosted/display/display.h"
#include "platform/hosted/display/sdl/sdl_inputs.h"
#include "platform/hosted/process.h"

struct SDL_Window;

namespace sdl {

struct Driver;

class SdlDisplay final : public hosted::Display, public hosted::ProcessHooks {
 public:
  SdlDisplay();
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // ---- set-up, before a process runs on the display
  // Shows every logical pixel as `scale` x `scale` pixels of the screen; 0
  // chooses the screen's default, the largest that leaves 640 x 480. False,
  // changing nothing, for a scale larger than the screen allows
  // (LargestScale); without a screen every scale is taken and none applies.
  bool SetScale(int32_t scale);
  // The largest scale the screen allows; 1 without a screen.
  int32_t LargestScale();
  // The first window that is shown goes to full screen at once.
  void StartInFullScreen();
  // The line-up of the game to be played, 1 to 4 players (others are one):
  // each player's pad and pointer zone is folded into the snapshot as that
  // player's key, and a game of several players shows the zones at its
  // start (display/keys/inputs.h, sdl_window.h).
  void SetPlayers(int32_t players);
  // Mutes the sound, or lets it be heard (as M does); pads rumble, or never.
  void SetMuted(bool muted);
  void SetRumble(bool rumble);
  // SIGINT, SIGTERM and SIGHUP (not where it is ignored, as under nohup) end
  // the process from now on, as described above. For the whole program:
  // the signals are caught once and for all.
  void EndOnSignals();
  // When the connection to the screen breaks (on X11: the X server went
  // away), `line` goes to standard error and the program exits at once with
  // code 1, in place of Xlib's message: files written so far stay as they
  // are.
  void EndWhenScreenLost(const std::string& line);

  // ---- the full-screen switch of Alt+Enter and F11
  // Takes `window` to full screen, or, while a window is in full screen,
  // brings that one back to its place.
  void ToggleFullScreen(HWND window);

  // ---- observation
  // The SDL window that shows `window`; null while it has none.
  SDL_Window* WindowOf(HWND window) const;
  // The scale in use, once the screen is known (0 before).
  int32_t Scale() const;
  // The window in full screen; null while there is none.
  HWND FullScreenWindow() const;
  // Message boxes that went to standard error because none could be shown.
  int PrintedMessageBoxes() const;
  // The rests taken in waits on the clock.
  int64_t Rests() const;
  // Pointers held and game controllers open (sdl_inputs.h).
  const HeldInputs& Held() const;
  // The signal that ended the process (EndOnSignals); 0 when none did.
  int EndingSignal() const;
  // Whether the sound is muted now (SetMuted, M).
  bool Muted() const;

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;
  bool SoundAvailable() override;
  void Rumble(int32_t player, uint32_t milliseconds) override;

  // ---- hosted::ProcessHooks: yes, once, after a signal caught (EndOnSignals)
  bool EndRequested(UINT* exitCode) override;

 private:
  int64_t Now() const;  // the clock, in counter units

  std::unique_ptr<Driver> driver_;
};

// `text` in the Windows ANSI code page (1252) as UTF-8, which SDL expects;
// bytes the code page leaves undefined become U+FFFD. Null gives "".
std::string Utf8FromAnsi(const char* text);

}  // namespace sdl
