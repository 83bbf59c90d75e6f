// The SDL display: hosted windows on a real screen, with SDL 2.
//
// The desktop the game sees is logical: the primary screen divided by a
// whole-number scale k (SetScale; by default the largest that leaves
// 640 x 480), and every logical pixel is shown as a k x k block. Every
// visible top-level hosted window is an SDL window at k times its desktop
// position and size, as large as its client area, without decoration for a
// popup (WS_POPUP) and with the system's frame otherwise; hidden windows have
// none. A window's picture changes only when the hosted platform presents a
// blit to it: the window's whole client area is copied from the desktop
// picture into its framebuffer, which is then shown once, so no half frame
// is ever seen. The clock is SDL's performance counter, at rest for a
// moment in every reading of a wait (hosted::RestInWait), the keyboard SDL's
// key state with the pointers held in our windows and SDL's game controllers
// folded in (sdl_inputs.h; all up while none of our windows has the focus),
// and message boxes are SDL's, owned by the window in front, given the
// keyboard where no window manager does (box_focus.h) and shown once Return,
// Enter and Escape are up, so that only a new press answers them (a pointer
// or Space never does). Close requests become WM_CLOSE in the thread's
// queue; the focus moving to or away from one of our windows moves the
// foreground.
//
// The player is away (Away) once a window of ours that had the focus is
// minimised or the focus has left our windows; a message box taking the
// focus does not count, nor does a window that never had it (no window
// manager gives it). The program then waits for the player's return
// (WaitForReturn) in SDL's event wait, handling events as Pump does, and
// whatever is held on return counts as let go until pressed anew.
//
// Alt+Enter and F11 switch the window that has the keyboard between its
// place and full screen: a borderless window over the whole screen, at the
// desktop's own resolution, with the client area's picture at the largest
// whole-number scale that fits, centred on black. Switching back puts the
// window where it was. The hosted platform learns of neither the scale nor
// full screen: its windows keep their logical places.
//
// The program may have the display end it (EndOnSignals): on SIGINT, SIGTERM
// or SIGHUP the process running on the display ends as the player would, by
// ExitProcess(128 + the signal), at the display's next pump, keyboard read,
// rest or sleep, and at once while a message box is shown; and when the
// screen goes away (EndWhenScreenLost), with a line of the program's own.
// Whatever runs beside the program for a message box (SDL's box and the
// focus watcher, child processes on X11) ends with it, however it ends.
//
// Where SDL cannot open a screen (no X11 display, no Wayland), Available() is
// false, so "DDRAW.DLL" cannot be loaded, the desktop is 1024 x 768 whatever
// the scale, and message boxes are printed on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/display/sdl/sdl_inputs.h"

struct SDL_Window;
struct SDL_Cursor;
struct SDL_Surface;
struct SDL_Rect;
union SDL_Event;

namespace sdl {

class SdlDisplay final : public hosted::Display {
 public:
  SdlDisplay();
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // ---- set-up, before a process runs on the display
  // Shows every logical pixel as `scale` x `scale` pixels of the screen; 0
  // chooses the screen's default. False, changing nothing, for a scale larger
  // than the screen allows (LargestScale); without a screen every scale is
  // taken and none applies.
  bool SetScale(int32_t scale);
  // The largest scale the screen allows; 1 without a screen.
  int32_t LargestScale();
  // The first window that is shown goes to full screen at once.
  void StartInFullScreen() { startFull_ = true; }
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
  int32_t Scale() const { return scale_; }
  // The window in full screen; null while there is none.
  HWND FullScreenWindow() const { return full_; }
  // Message boxes that went to standard error because none could be shown.
  int PrintedMessageBoxes() const { return printedBoxes_; }
  // The rests taken in waits on the clock.
  int64_t Rests() const { return rests_; }
  // Pointers held and game controllers open (sdl_inputs.h).
  const HeldInputs& Held() const { return held_; }
  // The signal that ended the process (EndOnSignals); 0 when none did.
  int EndingSignal() const { return endingSignal_; }

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;

 private:
  enum class Video { kUntried, kReady, kMissing };
  struct Shown {
    HWND handle;
    SDL_Window* window;
    RECT client;  // desktop coordinates
    bool popup;
    bool visible;
    // The framebuffer last painted black all over: around the picture it
    // stays black, so a present sends only the picture to the screen.
    SDL_Surface* blackened;
    bool minimised;
  };

  bool StartVideo();
  int64_t Now() const;  // the clock, in counter units
  Shown* Find(HWND window);
  Shown* FindSdl(uint32_t windowId);
  void Place(const Shown& shown);
  SDL_Rect Scaled(const RECT& client) const;
  void Paint(Shown& shown);
  void EndIfSignalled();
  void Handle(const SDL_Event& event);
  void WaitForAnswerKeysUp();

  Video video_ = Video::kUntried;
  int32_t originX_ = 0;  // the primary screen's place among all screens
  int32_t originY_ = 0;
  int32_t screenWidth_ = 0;  // the primary screen in its own pixels
  int32_t screenHeight_ = 0;
  int32_t scale_ = 0;  // chosen by SetScale, else the screen's default when video starts
  bool startFull_ = false;
  HWND full_ = nullptr;
  std::vector<uint32_t> scratch_;  // for framebuffers in another pixel format
  uint64_t frequency_ = 1;
  int64_t answered_ = 0;  // the last reading of the counter handed out
  int64_t rests_ = 0;
  SDL_Cursor* arrow_ = nullptr;
  std::vector<Shown> shown_;
  int printedBoxes_ = 0;
  bool endOnSignals_ = false;
  int endingSignal_ = 0;
  std::string lostLine_;  // EndWhenScreenLost's; empty: the system's
  HeldInputs held_;
  uint32_t focused_ = 0;    // the SDL window of ours with the focus; 0: none
  bool attention_ = false;  // one of ours had the focus since the last message box
};

// `text` in the Windows ANSI code page (1252) as UTF-8, which SDL expects;
// bytes the code page leaves undefined become U+FFFD. Null gives "".
std::string Utf8FromAnsi(const char* text);

}  // namespace sdl
