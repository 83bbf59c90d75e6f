// A display around another display that sets the start tick, records the
// game being played, or plays a recording back.
//
// It forwards every question to the display it wraps (windows, pictures,
// message boxes), and to that display's process hooks (failures, the end of
// the process), and adds, on request:
//   - a start tick: the tick count reads N until the performance counter is
//     first read, and from then on both clocks run on from N with the wrapped
//     display's clock. The start-up seeds the random numbers from the tick
//     count before the game reads the counter, so the game gets exactly the
//     cave of start tick N, as the headless display's virtual clock gives it;
//   - recording: every keyboard snapshot and message box becomes a line of a
//     recording (recording.h). A file (RecordTo) gets each line as it is
//     taken, one short write per snapshot without waiting for the disk, so
//     that a program that is killed loses at most the snapshot in progress; a
//     writer of the caller's (Record) gets them each as taken or gathered, at
//     least once a second while snapshots are taken, before every message box
//     and at the end. A read that fails (the window not in front) leaves the
//     game's snapshot as it was, and is recorded as that snapshot again, which
//     a replay reads with the same effect. The first write that fails is
//     reported, and nothing is written after it;
//   - playing: the keys of snapshot k are those of the recording's snapshot k
//     (none past its end), except that Escape comes from the player, so that
//     the player can still end the game. A read that fails skips a snapshot
//     of the recording: the game goes on with the keys it had, and what it
//     shows may then part from the recording.
// It has no screen, file or system of its own: the Linux program wraps the
// SDL display in it, and any display can be wrapped the same way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/display/recording/recording.h"
#include "platform/hosted/process.h"

namespace recording {

class RecordingDisplay final : public hosted::Display, public hosted::ProcessHooks {
 public:
  // Appends text to the recording's destination; false when that failed.
  using Writer = std::function<bool(std::string_view text)>;
  // When lines reach the writer: each as it is written, or gathered.
  enum class HandOver { kEachLine, kEverySecond };

  // Wraps `inner`, and the hooks of the process on it when it has any (run
  // the process with this display's hooks then: they pass on to those).
  explicit RecordingDisplay(hosted::Display& inner, hosted::ProcessHooks* innerHooks = nullptr);
  ~RecordingDisplay() override;
  RecordingDisplay(const RecordingDisplay&) = delete;
  RecordingDisplay& operator=(const RecordingDisplay&) = delete;

  // ---- set-up, before RunProcess
  // The tick count reads `tick` until the first counter reading (see above).
  void SetStartTick(uint32_t tick);
  // Records the game; the header (with `tick`) is written at once.
  void Record(uint32_t tick, Writer writer, HandOver handOver = HandOver::kEverySecond);
  // Records into the file `path`, made empty first, line by line; false with
  // a one-line problem when it cannot be opened for writing.
  bool RecordTo(const std::string& path, uint32_t tick, std::string* problem);
  // `report` learns, once, of the first write of the recording that fails,
  // with a one-line problem ("cannot write the recording 'x.rec': No space
  // left on device"). Set before Record or RecordTo.
  void OnWriteFailure(std::function<void(const std::string& problem)> report);
  // Plays `recording`'s snapshots, and sets the start tick to its tick.
  void Play(const Recording& recording);
  // Plays the recording in the file `path`; false with a one-line problem
  // naming the file and the line when it is not a recording.
  bool PlayFrom(const std::string& path, std::string* problem);
  // The speed of playing: 1, 2, 4 or 8 (others are ignored); it may change
  // while the game runs, and takes effect at the next clock reading.
  void SetSpeed(int speed);
  int Speed() const { return wantedSpeed_; }
  // The snapshots of the recording played so far, and how many it has.
  size_t Played() const { return next_; }
  size_t Length() const { return snapshots_.size(); }

  // ---- after RunProcess
  // Writes the exit code and whatever is still held back; false when any
  // write of the recording failed. Does nothing unless recording.
  bool Finish(int exitCode);
  // Ends the recording of a game that a signal interrupted with a comment
  // naming it (SignalLine) in place of an exit code: a recording without an
  // end, which replays up to its last snapshot. False as Finish.
  bool FinishInterrupted(std::string_view signalName);

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;

  // ---- hosted::ProcessHooks: a keyboard read that failed without asking
  // the display is a snapshot as well (see above)
  bool Fails(hosted::FailPoint point, const char* detail, int32_t width, int32_t height) override;
  void KeyboardUnread() override;
  bool EndRequested(UINT* exitCode) override;

 private:
  void Write(std::string_view text, bool now);
  void WriteFailed();
  bool Close();

  hosted::Display& inner_;
  hosted::ProcessHooks* innerHooks_;
  bool tickSet_ = false;
  uint32_t startTick_ = 0;
  bool clockRunning_ = false;
  int64_t clockBase_ = 0;  // the wrapped display's counter at the first reading
  // While playing, the counter runs `speed_` times as fast as the wrapped
  // one: `scaled_` counts elapsed up to the wrapped reading `speedMark_`.
  int speed_ = 1;
  int wantedSpeed_ = 1;
  int64_t scaled_ = 0;
  int64_t speedMark_ = 0;

  Writer writer_;
  HandOver handOver_ = HandOver::kEverySecond;
  std::string pending_;        // written lines not yet handed to the writer
  uint32_t lastHandOver_ = 0;  // the wrapped display's tick count then
  bool writeFailed_ = false;
  std::function<void(const std::string&)> reportFailure_;
  std::string lastLine_ = "\n";  // the line of the last snapshot read
  std::FILE* file_ = nullptr;    // RecordTo's file, its name and its last error
  std::string path_;
  int fileError_ = 0;

  bool playing_ = false;
  std::vector<std::vector<uint8_t>> snapshots_;
  size_t next_ = 0;  // the snapshot the next keyboard read plays
};

}  // namespace recording
