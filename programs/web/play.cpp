// The process entry of the hosted program in a browser: the page calls
// CavePlay for every game, and the web display is installed, wrapped in the
// recording display so that the page can offer the game as a recording,
// while WinMain runs as a hosted process. CaveWatch shows a recording again
// the same way, the recording display playing it back.
#include <emscripten.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/web/web_display.h"
#include "platform/hosted/process.h"
#include "runs/runs.h"

namespace {

std::string lastRecording;                       // the recording of the game played last
recording::RecordingDisplay* watched = nullptr;  // while CaveWatch runs

}  // namespace

// Runs the program once with the tick count starting at `startTick`, and
// records it; returns its exit code. The page calls it through Asyncify
// (ccall with async), so it returns a promise there, settled when the program
// has ended. The web display holds the tick count at `startTick` until the
// game first reads the counter, so the recording's tick is the game's.
extern "C" EMSCRIPTEN_KEEPALIVE int CavePlay(uint32_t startTick) {
  web::WebDisplay display(startTick);
  recording::RecordingDisplay shown(display);
  lastRecording.clear();
  runs::RecordingWriter writer;
  writer.KeepText();
  shown.Record(writer, startTick);
  int code = hosted::RunWinMain(shown, &shown);
  shown.Finish(code);
  lastRecording = writer.Text();
  return code;
}

// The recording of the game that CavePlay played last, as text; empty
// before the first game has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveRecording() { return lastRecording.c_str(); }

// Shows the recording in the `length` bytes at `text` on the page, at the
// game's own pace, the player's Escape still ending it and the digit keys 1,
// 2, 4 and 8 setting the speed; returns the exit code, or -1 at once when the
// text is not a recording. Called through Asyncify, as CavePlay.
extern "C" EMSCRIPTEN_KEEPALIVE int CaveWatch(const char* text, size_t length) {
  runs::Recording played;
  std::string problem;
  if (text == nullptr || !runs::ParseRecording({text, length}, &played, &problem)) return -1;
  web::WebDisplay display(played.tick);
  recording::RecordingDisplay shown(display);
  shown.Play(played);
  watched = &shown;
  int code = hosted::RunWinMain(shown, &shown);
  watched = nullptr;
  return code;
}

// While CaveWatch runs: the snapshots of the recording played so far, and
// how many it has; 0 otherwise.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t CaveWatchPlayed() {
  return watched != nullptr ? static_cast<uint32_t>(watched->Played()) : 0;
}
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t CaveWatchLength() {
  return watched != nullptr ? static_cast<uint32_t>(watched->Length()) : 0;
}

// While CaveWatch runs: sets the speed of the game shown to `speed` (1, 2, 4
// or 8 times its own; other values change nothing) and returns the speed
// now; 0 when nothing is being watched.
extern "C" EMSCRIPTEN_KEEPALIVE int CaveWatchSpeed(int speed) {
  if (watched == nullptr) return 0;
  watched->SetSpeed(speed);
  return watched->Speed();
}
