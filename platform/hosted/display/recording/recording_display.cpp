// The display that sets the start tick, records a game or plays one back.
#include "platform/hosted/display/recording/recording_display.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/hosted/dinput.h"

namespace recording {
namespace {

constexpr int64_t kCounterPerTick = 10000;  // the 10 MHz counter in one millisecond
constexpr uint32_t kHandOverTicks = 1000;   // the longest that written lines are held back

}  // namespace

RecordingDisplay::RecordingDisplay(hosted::Display& inner, hosted::ProcessHooks* innerHooks)
    : inner_(inner), innerHooks_(innerHooks) {}

RecordingDisplay::~RecordingDisplay() {
  if (writer_ && !pending_.empty() && !writeFailed_) writer_(pending_);
  if (file_ != nullptr) std::fclose(file_);
}

void RecordingDisplay::SetStartTick(uint32_t tick) {
  tickSet_ = true;
  startTick_ = tick;
  clockRunning_ = false;
}

void RecordingDisplay::Record(uint32_t tick, Writer writer, HandOver handOver) {
  writer_ = std::move(writer);
  handOver_ = handOver;
  lastHandOver_ = inner_.TickCount();
  Write(HeaderLines(tick), true);
}

// Every line goes to the system as it is taken, which writes it to the disk
// in its own time: what the program showed outlives the program, not a crash
// of the whole system.
bool RecordingDisplay::RecordTo(const std::string& path, uint32_t tick, std::string* problem) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    *problem = "cannot write the recording '" + path + "': " + std::strerror(errno);
    return false;
  }
  path_ = path;
  Record(
      tick,
      [this](std::string_view text) {
        if (std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
            std::fflush(file_) == 0)
          return true;
        fileError_ = errno;
        return false;
      },
      HandOver::kEachLine);
  return true;
}

void RecordingDisplay::OnWriteFailure(std::function<void(const std::string& problem)> report) {
  reportFailure_ = std::move(report);
}

void RecordingDisplay::Play(const Recording& recording) {
  playing_ = true;
  snapshots_ = recording.snapshots;
  next_ = 0;
  SetStartTick(recording.tick);
}

bool RecordingDisplay::PlayFrom(const std::string& path, std::string* problem) {
  Recording recording;
  if (!ReadRecording(path, &recording, problem)) return false;
  Play(recording);
  return true;
}

void RecordingDisplay::SetSpeed(int speed) {
  if (speed == 1 || speed == 2 || speed == 4 || speed == 8) wantedSpeed_ = speed;
}

bool RecordingDisplay::Finish(int exitCode) {
  if (!writer_) return true;
  Write(ExitLine(exitCode), true);
  return Close();
}

bool RecordingDisplay::FinishInterrupted(std::string_view signalName) {
  if (!writer_) return true;
  Write(SignalLine(signalName), true);
  return Close();
}

bool RecordingDisplay::Close() {
  writer_ = nullptr;
  if (file_ != nullptr && std::fclose(file_) != 0 && !writeFailed_) {
    fileError_ = errno;
    file_ = nullptr;
    WriteFailed();
  }
  file_ = nullptr;
  return !writeFailed_;
}

// Lines are held back until a second has passed since the last hand-over, by
// the wrapped display's clock, or until `now`; or not at all.
void RecordingDisplay::Write(std::string_view text, bool now) {
  if (writeFailed_) return;
  if (handOver_ == HandOver::kEachLine) {
    if (!writer_(text)) WriteFailed();
    return;
  }
  pending_ += text;
  uint32_t tick = inner_.TickCount();
  if (!now && tick - lastHandOver_ < kHandOverTicks) return;
  if (!writer_(pending_)) WriteFailed();
  pending_.clear();
  lastHandOver_ = tick;
}

// Said once; the lines after a lost one would replay another game, so none
// are written.
void RecordingDisplay::WriteFailed() {
  writeFailed_ = true;
  if (!reportFailure_) return;
  reportFailure_(path_.empty()
                     ? std::string("a write of the recording failed")
                     : "cannot write the recording '" + path_ + "': " + std::strerror(fileError_));
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
    ++next_;
    state[DIK_ESCAPE] |= escape;
    read = true;
  }
  if (writer_) {
    if (read) lastLine_ = SnapshotLine(state);
    Write(lastLine_, false);
  }
  return read;
}

// The game keeps the snapshot it had, as if it had read the same keys again.
void RecordingDisplay::KeyboardUnread() {
  if (innerHooks_) innerHooks_->KeyboardUnread();
  if (playing_) ++next_;
  if (writer_) Write(lastLine_, false);
}

int RecordingDisplay::MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) {
  // Written before the box is shown: the player may leave it open for good.
  if (writer_) Write(BoxLine({title ? title : "", text ? text : ""}), true);
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
