// The headless display: the hosted platform with no screen at all, for tests
// and replays.
//
// The desktop is memory (1024 x 768 unless told otherwise) that tests read
// through hosted::Desktop(); tests and tools inspect the hosted objects
// through platform/hosted/hosted_view.h. The clock is virtual: it
// starts at a chosen tick count, every read of the performance counter
// advances it by 0.1 ms (1000 ticks of the 10 MHz counter), Sleep(n) by n ms,
// and nothing else moves it but an absence of the player (SetAbsence), which
// passes while the platform holds the program. Keys come from a script, one
// entry per keyboard snapshot. Message boxes are recorded and answered OK.
// Sound plays by the virtual clock, 22050 samples a second (hosted::MixSound),
// kept in memory on request (KeepSound), so that the same game gives the same
// samples on every machine; while a message box is shown, what plays once
// plays to its end, as the player would hear it while reading the box,
// though the clock stands. Game pads' rumbles are recorded.
// Any platform step can be made to fail: the display is also the process's
// hooks, so run the process with it as both (hosted::RunProcess(display,
// entry, &display)).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/process.h"
#include "platform/hosted/services.h"

namespace headless {

struct MessageBoxRecord {
  HWND owner;
  std::string title;
  std::string text;
  uint32_t flags;
  int snapshot;  // keyboard snapshots taken before the box was shown
};

struct RumbleRecord {
  int32_t player;
  uint32_t milliseconds;  // 0: stopped
  int snapshot;           // keyboard snapshots taken before
};

class HeadlessDisplay final : public hosted::Display, public hosted::ProcessHooks {
 public:
  explicit HeadlessDisplay(uint32_t startTick = 0, int32_t width = 1024, int32_t height = 768);

  // ---- set-up, before RunProcess
  void SetDesktopSize(int32_t width, int32_t height);
  void SetStartTick(uint32_t tick);
  // Keys down in snapshot k: called with k and a zeroed 256-byte state to fill.
  void SetKeyScript(std::function<void(int snapshot, uint8_t state[256])> script);
  // Convenience: snapshot k has exactly the scan codes of keys[k] down; past
  // the end, none.
  void SetKeyTimeline(std::vector<std::vector<uint8_t>> keys);
  // Failure injection. Each makes every matching step fail until cleared.
  void FailLoadLibrary(const std::string& moduleName);
  void Fail(hosted::FailPoint point);
  void FailSurfaceSize(int32_t width, int32_t height);
  void FailCreateWindow(const std::string& className);
  // The next `count` GetDeviceState calls fail.
  void FailDeviceStates(int count);
  // Allocation number n (counting HeapAlloc and HeapReAlloc from 0) and every
  // one after it fail.
  void FailHeapAllocFrom(int64_t n);
  void ClearFailures();
  // Whether DDRAW.DLL can find a screen (default true).
  void SetAvailable(bool available);
  // Whether there is a sound device (default true).
  void SetSoundAvailable(bool available);
  // Keeps every sample heard (Heard); otherwise the sound only moves on.
  void KeepSound() { keepSound_ = true; }
  // The player goes away once keyboard snapshot `snapshot` has been taken
  // and is back `milliseconds` of virtual time later (Away, WaitForReturn).
  void SetAbsence(int snapshot, uint32_t milliseconds);

  // ---- hooks, run inside the process
  // After every keyboard read, with the snapshot's number (0 first).
  std::function<void(int snapshot)> onSnapshot;
  // When a message box is shown, before it is answered (and before the
  // sound heard while it is read).
  std::function<void(const MessageBoxRecord&)> onMessageBox;
  // When the program waits on the clock (hosted::Display::Rest), with what
  // is foreseen of the wait's end; the virtual clock does not move.
  std::function<void(int64_t foreseen)> onRest;

  // ---- observation
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  int Snapshots() const { return snapshots_; }
  int64_t Counter() const { return counter_; }
  int Presents() const { return presents_; }
  // Every sample heard so far (KeepSound), the sound up to this moment of
  // the clock mixed first; empty unless kept.
  const std::vector<int16_t>& Heard();
  const std::vector<RumbleRecord>& Rumbles() const { return rumbles_; }
  // Queue a close request for a window, as a window manager would.
  void RequestClose(HWND window);

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;
  bool SoundAvailable() override { return soundAvailable_; }
  void SoundChanging() override;
  void Rumble(int32_t player, uint32_t milliseconds) override;

  // ---- hosted::ProcessHooks: the failures asked for above, in force in a
  // process run with this display as its hooks
  bool Fails(hosted::FailPoint point, const char* detail, int32_t width, int32_t height) override;

 private:
  // Plays `count` more samples, into Heard when kept.
  void Hear(int64_t count);

  int32_t width_;
  int32_t height_;
  uint32_t startTick_;
  int64_t counter_ = 0;  // 10 MHz ticks since the start
  bool available_ = true;
  std::function<void(int, uint8_t*)> keyScript_;
  int snapshots_ = 0;
  int presents_ = 0;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<hosted::FailPoint> failing_;
  std::vector<std::string> failingModules_;
  std::vector<std::string> failingClasses_;
  std::vector<std::pair<int32_t, int32_t>> failingSizes_;
  int failingDeviceStates_ = 0;
  int64_t heapAllocs_ = 0;
  int64_t failHeapFrom_ = -1;
  std::vector<HWND> closeRequests_;
  int absentAfter_ = -1;  // the snapshot the player leaves after; -1: never
  uint32_t absence_ = 0;  // in milliseconds
  bool soundAvailable_ = true;
  bool keepSound_ = false;
  std::vector<int16_t> heard_;
  int64_t clockSamples_ = 0;  // the samples of the clock's time mixed so far
  std::vector<RumbleRecord> rumbles_;
};

}  // namespace headless
