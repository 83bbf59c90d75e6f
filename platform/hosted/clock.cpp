// The hosted clock: waits on the performance counter recognised, their
// rhythm, and the rest in them (clock.h).
#include "platform/hosted/clock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "platform/hosted/internal.h"

namespace hosted {
namespace {

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

struct ClockState {
  // Platform calls other than readings since the last reading; none means
  // the program is reading the counter again and again.
  bool calledSinceReading = true;
  bool waiting = false;  // the previous reading was taken in a wait
  int64_t lastReading = 0;
  int64_t lastEnd = -1;                // the reading that ended the latest wait; -1 before any
  std::array<int64_t, 8> intervals{};  // the latest intervals between ends
  size_t seen = 0;
  // lastEnd and the shortest of the intervals, once all eight are known;
  // -1 while the next end is not foreseen.
  int64_t foreseenEnd = -1;
  bool longRest = false;  // the latest rest of this wait may have slept long
  int64_t heldFor = 0;    // the time away so far, taken off every reading
};

ClockState& State() {
  static ClockState state;
  return state;
}

// The previous reading was the last of a wait: the wait ended there. When
// the long rest before it already went past the end, and that end came
// before the foreseen one, the waits have come faster than foreseen: the
// rhythm is learnt anew. Past the foreseen end, the rest woke late (a busy
// processor, a browser's timer), and the rhythm stands.
void EndWait(ClockState& clock) {
  if (clock.longRest && clock.lastReading < clock.foreseenEnd) clock.seen = 0;
  if (clock.lastEnd >= 0)
    clock.intervals[clock.seen++ % clock.intervals.size()] = clock.lastReading - clock.lastEnd;
  clock.lastEnd = clock.lastReading;
  clock.foreseenEnd = -1;
  if (clock.seen >= clock.intervals.size())
    clock.foreseenEnd =
        clock.lastEnd + *std::min_element(clock.intervals.begin(), clock.intervals.end());
  clock.waiting = false;
  clock.longRest = false;
}

// Once the hooks ask for it, the process ends here, as ExitProcess ends it.
void EndIfRequested() {
  UINT code = 0;
  if (CurrentHooks().EndRequested(&code)) ExitProcess(code);
}

}  // namespace

void NotWaiting() {
  EndIfRequested();
  State().calledSinceReading = true;
}

int64_t ReadClock(Display& display) {
  EndIfRequested();
  ClockState& clock = State();
  if (!clock.calledSinceReading) {
    clock.waiting = true;
    int64_t foreseen =
        clock.foreseenEnd < 0 ? 0 : std::max<int64_t>(clock.foreseenEnd - clock.lastReading, 0);
    clock.longRest = foreseen > kRestMargin + kRest;
    display.Rest(foreseen);
  } else if (clock.waiting) {
    EndWait(clock);
  }
  clock.calledSinceReading = false;
  int64_t now = display.ReadCounter();
  if (display.Away()) {
    // The reading is the one taken when the player left: the time until the
    // reading on return is held, and no step of the counter is counted twice.
    display.WaitForReturn();
    EndIfRequested();
    int64_t back = display.ReadCounter();
    clock.heldFor += back - now;
    now = back;
  }
  clock.lastReading = now - clock.heldFor;
  return clock.lastReading;
}

void ResetClock() { State() = ClockState{}; }

bool RestInWait(int64_t answered, int64_t now, int64_t foreseen) {
  if (now - answered >= kWaiting) return false;
  int64_t rest = kRest;
  if (foreseen > 0) rest = std::max(rest, answered + foreseen - kRestMargin - now);
  std::this_thread::sleep_for(std::chrono::nanoseconds(rest * 100));
  return true;
}

}  // namespace hosted
