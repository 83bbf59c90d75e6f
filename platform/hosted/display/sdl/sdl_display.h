// The SDL display: hosted windows on a real screen, with SDL 2.
//
// Every visible top-level hosted window is an SDL window in the same place on
// the primary screen, as large as its client area, without decoration for a
// popup (WS_POPUP) and with the system's frame otherwise; hidden windows have
// none. A window's picture changes only when the hosted platform presents a
// blit to it: the window's whole client area is copied from the desktop
// picture into its framebuffer, which is then shown once, so no half frame
// is ever seen. The desktop is as large as the primary screen. The clock is
// SDL's performance counter, the keyboard SDL's key state (all keys up while
// none of our windows has the focus), and message boxes are SDL's, owned by
// the window in front. Close requests become WM_CLOSE in the thread's queue;
// the focus moving to or away from one of our windows moves the foreground.
//
// Where SDL cannot open a screen (no X11 display, no Wayland), Available() is
// false, so "DDRAW.DLL" cannot be loaded, and message boxes are printed on
// standard error. Nothing ever fails on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hosted/display/display.h"

struct SDL_Window;
struct SDL_Cursor;

namespace sdl {

class SdlDisplay final : public hosted::Display {
 public:
  SdlDisplay();
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // ---- observation
  // The SDL window that shows `window`; null while it has none.
  SDL_Window* WindowOf(HWND window) const;
  // Message boxes that went to standard error because none could be shown.
  int PrintedMessageBoxes() const { return printedBoxes_; }

  // ---- hosted::Display
  bool Available() override;
  void DesktopSize(int32_t* width, int32_t* height) override;
  int64_t ReadCounter() override;
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;
  void WindowChanged(HWND window, const hosted::WindowView& view) override;
  void WindowDestroyed(HWND window) override;
  void Present(HWND window, const RECT& area) override;
  void Pump() override;
  bool ReadKeyboard(uint8_t state[256]) override;
  int MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) override;
  bool Fails(hosted::FailPoint point, const char* detail, int32_t width, int32_t height) override;

 private:
  enum class Video { kUntried, kReady, kMissing };
  struct Shown {
    HWND handle;
    SDL_Window* window;
    RECT client;  // desktop coordinates
    bool visible;
  };

  bool StartVideo();
  Shown* Find(HWND window);
  Shown* FindSdl(uint32_t windowId);
  void Paint(const Shown& shown);

  Video video_ = Video::kUntried;
  int32_t originX_ = 0;  // the primary screen's place among all screens
  int32_t originY_ = 0;
  uint64_t frequency_ = 1;
  SDL_Cursor* arrow_ = nullptr;
  std::vector<Shown> shown_;
  int printedBoxes_ = 0;
};

// `text` in the Windows ANSI code page (1252) as UTF-8, which SDL expects;
// bytes the code page leaves undefined become U+FFFD. Null gives "".
std::string Utf8FromAnsi(const char* text);

}  // namespace sdl
