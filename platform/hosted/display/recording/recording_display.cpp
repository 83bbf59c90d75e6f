// The display that sets the start tick, records a game or plays one back.
#include "platform/hosted/display/recording/recording_display.h"

#include <cstring>
#include <utility>

#include "platform/hosted/dinput.h"

namespace recording {
namespace {

constexpr int64_t kCounterPerTick = 10000;  // the 10 MHz counter in one millisecond

}  // namespace

RecordingDisplay::RecordingDisplay(hosted::Display& inner, hosted::ProcessHooks* innerHooks)
    : inner_(inner), innerHooks_(innerHooks) {}

void RecordingDisplay::SetStartTick(uint32_t tick) {
  tickSet_ = true;
  startTick_ = tick;
  clockRunning_ = false;
}

void RecordingDisplay::Record(runs::RecordingWriter& writer, uint32_t tick, int32_t players,
                              const std::vector<std::string>& ghosts) {
  writer_ = &writer;
  writer.WriteHeader(tick, players, ghosts);
}

// A check leaves the clock to the display it wraps, which starts at the
// recording's tick: the game then runs exactly as in any other replay on
// that display, to the pictures it shows.
void RecordingDisplay::Play(const runs::Recording& recording, Playback playback) {
  playing_ = true;
  playback_ = playback;
  snapshots_ = recording.snapshots;
  next_ = 0;
  replayed_ = {};
  if (playback == Playback::kWatch) SetStartTick(recording.tick);
}

bool RecordingDisplay::PlayFrom(const std::string& path, std::string* problem) {
  runs::Recording recording;
  if (!runs::ReadRecording(path, &recording, problem)) return false;
  Play(recording);
  return true;
}

void RecordingDisplay::SetSpeed(int speed) {
  if (speed == 1 || speed == 2 || speed == 4 || speed == 8) wantedSpeed_ = speed;
}

void RecordingDisplay::Finish(int exitCode) {
  replayed_.exitCode = exitCode;
  if (writer_ != nullptr) writer_->WriteExit(exitCode);
  writer_ = nullptr;
}

void RecordingDisplay::FinishInterrupted(std::string_view signalName) {
  if (writer_ != nullptr) writer_->WriteSignal(signalName);
  writer_ = nullptr;
}

runs::Replayed RecordingDisplay::Replayed() const {
  runs::Replayed replayed = replayed_;
  replayed.snapshots = static_cast<int>(next_);
  return replayed;
}

bool RecordingDisplay::Available() { return inner_.Available(); }

void RecordingDisplay::DesktopSize(int32_t* width, int32_t* height) {
  inner_.DesktopSize(width, height);
}

int64_t RecordingDisplay::ReadCounter() {
  int64_t count = inner_.ReadCounter();
  if (!tickSet_) return count;
  if (!clockRunning_) {
    clockRunning_ = true;
    clockBase_ = speedMark_ = count;
    scaled_ = 0;
  }
  if (playing_ && wantedSpeed_ != speed_) {
    scaled_ += (count - speedMark_) * speed_;
    speedMark_ = count;
    speed_ = wantedSpeed_;
  }
  int64_t elapsed = playing_ ? scaled_ + (count - speedMark_) * speed_ : count - clockBase_;
  return static_cast<int64_t>(startTick_) * kCounterPerTick + elapsed;
}

uint32_t RecordingDisplay::TickCount() {
  if (!tickSet_) return inner_.TickCount();
  if (!clockRunning_) return startTick_;
  return static_cast<uint32_t>(ReadCounter() / kCounterPerTick);
}

void RecordingDisplay::Sleep(uint32_t milliseconds) {
  inner_.Sleep(playing_ ? milliseconds / static_cast<uint32_t>(speed_) : milliseconds);
}

void RecordingDisplay::Rest(int64_t foreseen) {
  inner_.Rest(playing_ ? foreseen / speed_ : foreseen);
}

bool RecordingDisplay::Away() { return inner_.Away(); }

void RecordingDisplay::WaitForReturn() { inner_.WaitForReturn(); }

bool RecordingDisplay::SoundAvailable() { return inner_.SoundAvailable(); }

void RecordingDisplay::SoundChanging() { inner_.SoundChanging(); }

void RecordingDisplay::Rumble(int32_t player, uint32_t milliseconds) {
  inner_.Rumble(player, milliseconds);
}

void RecordingDisplay::WindowChanged(HWND window, const hosted::TopWindow& view) {
  inner_.WindowChanged(window, view);
}

void RecordingDisplay::WindowDestroyed(HWND window) { inner_.WindowDestroyed(window); }

void RecordingDisplay::Present(HWND window, const RECT& area) { inner_.Present(window, area); }

void RecordingDisplay::Pump() { inner_.Pump(); }

bool RecordingDisplay::ReadKeyboard(uint8_t state[256]) {
  bool read = inner_.ReadKeyboard(state);
  if (playing_) {
    uint8_t escape = read ? state[DIK_ESCAPE] & 0x80 : 0;
    if (read) {
      constexpr std::pair<uint8_t, int> kSpeedKeys[] = {
          {DIK_1, 1}, {DIK_2, 2}, {DIK_4, 4}, {DIK_8, 8}};
      for (auto [key, speed] : kSpeedKeys)
        if (state[key] & 0x80) SetSpeed(speed);
    }
    std::memset(state, 0, 256);
    if (next_ < snapshots_.size())
      for (uint8_t code : snapshots_[next_]) state[code] = 0x80;
    else if (playback_ == Playback::kCheck && next_ == snapshots_.size())
      state[DIK_ESCAPE] = 0x80;
    ++next_;
    state[DIK_ESCAPE] |= escape;
    read = true;
  }
  if (writer_ != nullptr) {
    if (read) std::memcpy(lastState_, state, sizeof lastState_);
    writer_->WriteSnapshot(lastState_);
  }
  return read;
}

// The game keeps the snapshot it had, as if it had read the same keys again.
void RecordingDisplay::KeyboardUnread() {
  if (innerHooks_) innerHooks_->KeyboardUnread();
  if (playing_) ++next_;
  if (writer_ != nullptr) writer_->WriteSnapshot(lastState_);
}

int RecordingDisplay::MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) {
  runs::Box box{title ? title : "", text ? text : ""};
  // Written before the box is shown: the player may leave it open for good.
  if (writer_ != nullptr) writer_->WriteBox(box);
  if (playing_) {
    if (replayed_.boxes.empty()) replayed_.firstBoxSnapshot = static_cast<int>(next_);
    replayed_.boxes.push_back(box);
  }
  return inner_.MessageBox(owner, text, title, flags);
}

bool RecordingDisplay::Fails(hosted::FailPoint point, const char* detail, int32_t width,
                             int32_t height) {
  return innerHooks_ && innerHooks_->Fails(point, detail, width, height);
}

bool RecordingDisplay::EndRequested(UINT* exitCode) {
  return innerHooks_ && innerHooks_->EndRequested(exitCode);
}

}  // namespace recording
