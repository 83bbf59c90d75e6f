// A display around another display that sets the start tick, records the
// game being played, plays a recording back, or checks one.
//
// It forwards every question to the display it wraps (windows, pictures,
// message boxes, sound), and to that display's process hooks (failures, the end of
// the process), and adds, on request:
//   - a start tick: the tick count reads N until the performance counter is
//     first read, and from then on both clocks run on from N with the wrapped
//     display's clock. The start-up seeds the random numbers from the tick
//     count before the game reads the counter, so the game gets exactly the
//     cave of start tick N, as the headless display's virtual clock gives it;
//   - recording: every keyboard snapshot and message box becomes a line of a
//     recording (runs/runs.h), handed to a writer as it is taken; a box's
//     line before the box is shown, as the player may leave it open for good.
//     A read that fails (the window not in front) leaves the game's snapshot
//     as it was, and is recorded as that snapshot again, which a replay reads
//     with the same effect;
//   - playing: the keys of snapshot k are those of the recording's snapshot k
//     (none past its end), except that Escape comes from the player, so that
//     the player can still end the game. A read that fails skips a snapshot
//     of the recording: the game goes on with the keys it had, and what it
//     shows may then part from the recording. Meanwhile it gathers what the
//     game did (runs::Replayed), for a check to judge;
//   - checking (Check): a recording played on a display of its own, with
//     Escape pressed after the recording's last snapshot, as a player would
//     end a game that goes on beyond the recording of an interrupted one.
// It has no screen, file or system of its own: the Linux program wraps the
// SDL display in it, and any display can be wrapped the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/process.h"
#include "runs/runs.h"

namespace recording {

class RecordingDisplay final : public hosted::Display, public hosted::ProcessHooks {
 public:
  // How a recording is played.
  enum class Playback {
    // Watching: the clock starts at the recording's tick, and past the
    // recording's end the game gets no keys but the player's.
    kWatch,
    // Checking: the wrapped display's clock as it is (it starts at the
    // recording's tick), and Escape in the snapshot after the last.
    kCheck,
  };

  // Wraps `inner`, and the hooks of the process on it when it has any (run
  // the process with this display's hooks then: they pass on to those).
  explicit RecordingDisplay(hosted::Display& inner, hosted::ProcessHooks* innerHooks = nullptr);
  RecordingDisplay(const RecordingDisplay&) = delete;
  RecordingDisplay& operator=(const RecordingDisplay&) = delete;

  // ---- set-up, before RunProcess
  // The tick count reads `tick` until the first counter reading (see above).
  void SetStartTick(uint32_t tick);
  // Records the game into `writer`, which outlives the game; the header
  // (with `tick`, the line-up `players` and a race's `ghosts`' recordings) is
  // written at once.
  void Record(runs::RecordingWriter& writer, uint32_t tick, int32_t players = 1,
              const std::vector<std::string>& ghosts = {});
  // Plays `recording`'s snapshots.
  void Play(const runs::Recording& recording, Playback playback = Playback::kWatch);
  // Plays the recording in the file `path` to watch it; false with a
  // one-line problem naming the file and the line when it is not a recording.
  bool PlayFrom(const std::string& path, std::string* problem);
  // The speed of playing: 1, 2, 4 or 8 (others are ignored); it may change
  // while the game runs, and takes effect at the next clock reading. The
  // player's digit keys 1, 2, 4 and 8 set it too.
  void SetSpeed(int speed);
  int Speed() const { return wantedSpeed_; }
  // The snapshots of the recording played so far, and how many it has.
  size_t Played() const { return next_; }
  size_t Length() const { return snapshots_.size(); }

  // ---- after RunProcess
  // Writes the exit code and stops recording, and keeps the exit code among
  // what was replayed.
  void Finish(int exitCode);
  // Ends the recording of a game that a signal interrupted with a comment
  // naming it (SignalLine) in place of an exit code: a recording without an
  // end, which replays up to its last snapshot.
  void FinishInterrupted(std::string_view signalName);
  // What the game did while the recording played: the boxes it showed, the
  // snapshots taken (played or skipped) and the exit code given to Finish.
  runs::Replayed Replayed() const;

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;
  bool SoundAvailable() override;
  void SoundChanging() override;
  void Rumble(int32_t player, uint32_t milliseconds) override;

  // ---- hosted::ProcessHooks: a keyboard read that failed without asking
  // the display is a snapshot as well (see above)
  bool Fails(hosted::FailPoint point, const char* detail, int32_t width, int32_t height) override;
  void KeyboardUnread() override;
  bool EndRequested(UINT* exitCode) override;

 private:
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

  runs::RecordingWriter* writer_ = nullptr;
  uint8_t lastState_[256] = {};  // the keys of the last snapshot read

  bool playing_ = false;
  Playback playback_ = Playback::kWatch;
  std::vector<std::vector<uint8_t>> snapshots_;
  size_t next_ = 0;  // the snapshot the next keyboard read plays
  runs::Replayed replayed_;
};

// Checks `recorded`: runs the program on `display`, whose clock starts at the
// recording's tick (a headless display made with it), with its `hooks` and
// the recording's line-up (runs::LineUpCommandLine), the recording played with Escape after its
// last snapshot (Playback::kCheck), and judges the replay. `replayed`, when given, learns what the
// game did. `more` is added to the game's command line after the line-up (a
// race's ghosts: runs/race/race.h, which checks races).
runs::Verdict Check(hosted::Display& display, hosted::ProcessHooks* hooks,
                    const runs::Recording& recorded, runs::Replayed* replayed = nullptr,
                    std::string_view more = {});

}  // namespace recording
