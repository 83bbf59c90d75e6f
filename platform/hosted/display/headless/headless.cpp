// The headless display: memory desktop, virtual clock, scripted keys,
// recorded message boxes, failures on request.
#include "platform/hosted/display/headless/headless.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/hosted/services.h"

namespace headless {

HeadlessDisplay::HeadlessDisplay(uint32_t startTick, int32_t width, int32_t height)
    : width_(width), height_(height), startTick_(startTick) {}

void HeadlessDisplay::SetDesktopSize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
}

void HeadlessDisplay::SetStartTick(uint32_t tick) { startTick_ = tick; }

void HeadlessDisplay::SetKeyScript(std::function<void(int, uint8_t[256])> script) {
  keyScript_ = std::move(script);
}

void HeadlessDisplay::SetKeyTimeline(std::vector<std::vector<uint8_t>> keys) {
  keyScript_ = [keys = std::move(keys)](int snapshot, uint8_t* state) {
    if (snapshot < 0 || static_cast<size_t>(snapshot) >= keys.size()) return;
    for (uint8_t code : keys[static_cast<size_t>(snapshot)]) state[code] = 0x80;
  };
}

void HeadlessDisplay::FailLoadLibrary(const std::string& moduleName) {
  failingModules_.push_back(moduleName);
}
void HeadlessDisplay::Fail(hosted::FailPoint point) { failing_.push_back(point); }
void HeadlessDisplay::FailSurfaceSize(int32_t width, int32_t height) {
  failingSizes_.emplace_back(width, height);
}
void HeadlessDisplay::FailCreateWindow(const std::string& className) {
  failingClasses_.push_back(className);
}
void HeadlessDisplay::FailDeviceStates(int count) { failingDeviceStates_ = count; }
void HeadlessDisplay::FailHeapAllocFrom(int64_t n) { failHeapFrom_ = n; }
void HeadlessDisplay::ClearFailures() {
  failing_.clear();
  failingModules_.clear();
  failingClasses_.clear();
  failingSizes_.clear();
  failingDeviceStates_ = 0;
  failHeapFrom_ = -1;
}
void HeadlessDisplay::SetAvailable(bool available) { available_ = available; }
void HeadlessDisplay::SetSoundAvailable(bool available) { soundAvailable_ = available; }
void HeadlessDisplay::SetAbsence(int snapshot, uint32_t milliseconds) {
  absentAfter_ = snapshot;
  absence_ = milliseconds;
}

void HeadlessDisplay::RequestClose(HWND window) { closeRequests_.push_back(window); }

bool HeadlessDisplay::Available() { return available_; }

void HeadlessDisplay::DesktopSize(int32_t* width, int32_t* height) {
  *width = width_;
  *height = height_;
}

int64_t HeadlessDisplay::ReadCounter() {
  counter_ += 1000;
  return counter_;
}

uint32_t HeadlessDisplay::TickCount() {
  return startTick_ + static_cast<uint32_t>(counter_ / 10000);
}

void HeadlessDisplay::Sleep(uint32_t milliseconds) {
  counter_ += static_cast<int64_t>(milliseconds) * 10000;
}

void HeadlessDisplay::Rest(int64_t foreseen) {
  if (onRest) onRest(foreseen);
}

bool HeadlessDisplay::Away() { return absentAfter_ >= 0 && snapshots_ > absentAfter_; }

// The absence passes on the virtual clock, once.
void HeadlessDisplay::WaitForReturn() {
  if (!Away()) return;
  Sleep(absence_);
  absentAfter_ = -1;
}

void HeadlessDisplay::WindowChanged(HWND, const hosted::TopWindow&) {}
void HeadlessDisplay::WindowDestroyed(HWND) {}
void HeadlessDisplay::Present(HWND, const RECT&) { ++presents_; }

void HeadlessDisplay::Pump() {
  std::vector<HWND> requests;
  requests.swap(closeRequests_);
  for (HWND window : requests) hosted::PostQueued(window, WM_CLOSE, 0, 0);
}

bool HeadlessDisplay::ReadKeyboard(uint8_t state[256]) {
  std::memset(state, 0, 256);
  int snapshot = snapshots_++;
  if (keyScript_) keyScript_(snapshot, state);
  if (onSnapshot) onSnapshot(snapshot);
  return true;
}

void HeadlessDisplay::Hear(int64_t count) {
  if (keepSound_) {
    size_t at = heard_.size();
    heard_.resize(at + static_cast<size_t>(count));
    hosted::MixSound(heard_.data() + at, static_cast<int32_t>(count));
    return;
  }
  // Not kept: the buffers only move on, however long the clock ran.
  for (int64_t left = count; left > 0; left -= INT32_MAX)
    hosted::MixSound(nullptr, static_cast<int32_t>(std::min<int64_t>(left, INT32_MAX)));
}

const std::vector<int16_t>& HeadlessDisplay::Heard() {
  constexpr int64_t kSecond = 10000000;  // counter units
  int64_t due =
      counter_ / kSecond * hosted::kMixRate + counter_ % kSecond * hosted::kMixRate / kSecond;
  if (due > clockSamples_) Hear(due - clockSamples_);
  clockSamples_ = std::max(clockSamples_, due);
  return heard_;
}

void HeadlessDisplay::SoundChanging() { Heard(); }

void HeadlessDisplay::Rumble(int32_t player, uint32_t milliseconds) {
  rumbles_.push_back({player, milliseconds, snapshots_});
}

int HeadlessDisplay::MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) {
  MessageBoxRecord record{owner, title ? title : "", text ? text : "", flags, snapshots_};
  boxes_.push_back(record);
  if (onMessageBox) onMessageBox(boxes_.back());
  // What plays once is heard to its end while the box is read.
  Heard();
  Hear(hosted::SoundOnceLeft());
  return IDOK;
}

bool HeadlessDisplay::Fails(hosted::FailPoint point, const char* detail, int32_t width,
                            int32_t height) {
  using hosted::FailPoint;
  switch (point) {
    case FailPoint::kLoadLibrary:
      for (const std::string& name : failingModules_)
        if (strcasecmp(name.c_str(), detail) == 0) return true;
      return false;
    case FailPoint::kCreateWindow:
      for (const std::string& name : failingClasses_)
        if (strcasecmp(name.c_str(), detail) == 0) return true;
      return false;
    case FailPoint::kSurfaceSize:
      return std::find(failingSizes_.begin(), failingSizes_.end(), std::make_pair(width, height)) !=
             failingSizes_.end();
    case FailPoint::kGetDeviceState:
      if (failingDeviceStates_ > 0) {
        --failingDeviceStates_;
        return true;
      }
      return false;
    case FailPoint::kHeapAlloc: {
      int64_t n = heapAllocs_++;
      return failHeapFrom_ >= 0 && n >= failHeapFrom_;
    }
    default:
      return std::find(failing_.begin(), failing_.end(), point) != failing_.end();
  }
}

}  // namespace headless
