// The current display and the desktop picture it shows.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/hosted/internal.h"

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
  void WindowChanged(HWND, const WindowView&) override {}
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
  bool Fails(FailPoint, const char*, int32_t, int32_t) override { return false; }

 private:
  static int64_t Now() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
  }

  int64_t answered_ = 0;  // the last reading handed out
};

// The shortest rest in a wait: short against the frame periods of games (16
// to 33 ms), so that a wait ends at most this much (and the system's timer
// slack, 50 us on Linux) after its time. In counter units of 0.1 us.
constexpr int64_t kRest = 1000;
// A longer rest ends this long before the foreseen end of the wait, which
// leaves room for a late wake-up.
constexpr int64_t kRestMargin = 15000;
// A reading taken this soon after the previous answer comes from a program
// that did nothing in between but ask again.
constexpr int64_t kWaiting = 200;

// The ends of the latest waits on the clock, which foresee the next.
struct Rhythm {
  bool waiting = false;  // the previous reading was taken in a wait
  int64_t lastReading = 0;
  int64_t lastEnd = -1;                // the reading that ended the latest wait; -1 before any
  std::array<int64_t, 8> intervals{};  // the latest intervals between ends
  size_t seen = 0;
  // lastEnd and the shortest of the intervals, once all eight are known;
  // -1 while the next end is not foreseen.
  int64_t foreseenEnd = -1;
  bool longRest = false;  // the latest rest of this wait may have slept long
};

// The previous reading was the last of a wait: the wait ended there. When
// the long rest before it already went past the end, the waits have come
// faster than foreseen (or the rest woke late): the rhythm is learnt anew.
void EndWait(Rhythm& rhythm) {
  if (rhythm.longRest) rhythm.seen = 0;
  if (rhythm.lastEnd >= 0)
    rhythm.intervals[rhythm.seen++ % rhythm.intervals.size()] = rhythm.lastReading - rhythm.lastEnd;
  rhythm.lastEnd = rhythm.lastReading;
  rhythm.foreseenEnd = -1;
  if (rhythm.seen >= rhythm.intervals.size())
    rhythm.foreseenEnd =
        rhythm.lastEnd + *std::min_element(rhythm.intervals.begin(), rhythm.intervals.end());
  rhythm.waiting = false;
  rhythm.longRest = false;
}

struct DisplayState {
  NullDisplay nullDisplay;
  Display* current = &nullDisplay;
  std::vector<uint32_t> desktop;
  int32_t width = 0;
  int32_t height = 0;
  // Platform calls that reached the display since the last reading of the
  // clock; none means the program is reading the clock again and again.
  uint64_t callsSinceReading = 1;
  Rhythm rhythm;
};

DisplayState& State() {
  static DisplayState state;
  return state;
}

}  // namespace

Display& CurrentDisplay() {
  DisplayState& state = State();
  ++state.callsSinceReading;
  return *state.current;
}

int64_t ReadClock() {
  DisplayState& state = State();
  Rhythm& rhythm = state.rhythm;
  if (state.callsSinceReading == 0) {
    rhythm.waiting = true;
    int64_t foreseen =
        rhythm.foreseenEnd < 0 ? 0 : std::max<int64_t>(rhythm.foreseenEnd - rhythm.lastReading, 0);
    rhythm.longRest = foreseen > kRestMargin + kRest;
    state.current->Rest(foreseen);
  } else if (rhythm.waiting) {
    EndWait(rhythm);
  }
  state.callsSinceReading = 0;
  rhythm.lastReading = state.current->ReadCounter();
  return rhythm.lastReading;
}

bool RestInWait(int64_t answered, int64_t now, int64_t foreseen) {
  if (now - answered >= kWaiting) return false;
  int64_t rest = kRest;
  if (foreseen > 0) rest = std::max(rest, answered + foreseen - kRestMargin - now);
  std::this_thread::sleep_for(std::chrono::nanoseconds(rest * 100));
  return true;
}

void InstallDisplay(Display* display) {
  DisplayState& state = State();
  state.current = display ? display : &state.nullDisplay;
  state.callsSinceReading = 1;
  state.rhythm = Rhythm{};
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
