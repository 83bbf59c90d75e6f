// The current display and the desktop picture it shows.
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/hosted/internal.h"
#include "platform/hosted/services.h"

namespace hosted {
namespace {

// Used outside RunProcess and by programs that installed nothing: no screen,
// the real clock, no keys, message boxes on standard error.
class NullDisplay final : public Display {
 public:
  bool Available() override { return false; }
  void DesktopSize(int32_t* width, int32_t* height) override {
    *width = 1024;
    *height = 768;
  }
  int64_t ReadCounter() override { return answered_ = Now(); }
  uint32_t TickCount() override { return static_cast<uint32_t>(Now() / 10000); }
  void Rest(int64_t foreseen) override { RestInWait(answered_, Now(), foreseen); }
  void Sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void WindowChanged(HWND, const TopWindow&) override {}
  void WindowDestroyed(HWND) override {}
  void Present(HWND, const RECT&) override {}
  void Pump() override {}
  bool ReadKeyboard(uint8_t state[256]) override {
    for (int i = 0; i < 256; ++i) state[i] = 0;
    return true;
  }
  int MessageBox(HWND, const char* text, const char* title, uint32_t) override {
    std::fprintf(stderr, "%s\n%s\n", title ? title : "", text ? text : "");
    return IDOK;
  }

 private:
  static int64_t Now() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
  }

  int64_t answered_ = 0;  // the last reading handed out
};

struct DisplayState {
  NullDisplay nullDisplay;
  Display* current = &nullDisplay;
  std::vector<uint32_t> desktop;
  int32_t width = 0;
  int32_t height = 0;
};

DisplayState& State() {
  static DisplayState state;
  return state;
}

}  // namespace

Display& CurrentDisplay() { return *State().current; }

void InstallDisplay(Display* display) {
  DisplayState& state = State();
  state.current = display ? display : &state.nullDisplay;
  if (display == nullptr) {
    // Back to no display at the end of every process: the blank picture is
    // made only if someone asks for it (Desktop), not for every process.
    state.desktop.clear();
    return;
  }
  int32_t width = 0, height = 0;
  state.current->DesktopSize(&width, &height);
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  state.width = width;
  state.height = height;
  state.desktop.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

DesktopPicture Desktop() {
  DisplayState& state = State();
  if (state.desktop.empty()) InstallDisplay(state.current);
  return {state.desktop.data(), state.width, state.height,
          static_cast<int32_t>(state.width * sizeof(uint32_t))};
}

}  // namespace hosted
