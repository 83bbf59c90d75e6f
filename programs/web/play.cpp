// The process entry of the hosted program in a browser: the page calls
// CavePlay for every game, and the web display is installed, wrapped in the
// recording display so that the page can offer the game as a recording,
// while WinMain runs as a hosted process. CaveWatch shows a recording again
// the same way, the recording display playing it back. The page's rules of a
// run (its score, which kept runs stay, a run link's fragment) are the runs
// library's, through the exports at the end.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/web/web_display.h"
#include "platform/hosted/process.h"
#include "runs/runs.h"

namespace {

std::string lastRecording;                       // the recording of the game played last
recording::RecordingDisplay* watched = nullptr;  // while CaveWatch runs
std::string answer;                              // the last text export's answer

std::string_view Bytes(const char* text, size_t length) {
  return {text, text != nullptr ? length : 0};
}

// The page's kept runs, oldest first, with their points (-1: no score).
std::vector<runs::RunRank> Ranks(const int32_t* points, size_t count) {
  std::vector<runs::RunRank> ranks;
  for (size_t i = 0; points != nullptr && i < count; ++i)
    ranks.push_back({static_cast<int64_t>(i), points[i] >= 0, points[i] >= 0 ? points[i] : 0});
  return ranks;
}

// Writes `indices` over the first numbers at `points`, whence they came.
size_t Ranked(const std::vector<size_t>& indices, int32_t* points) {
  for (size_t i = 0; i < indices.size(); ++i) points[i] = static_cast<int32_t>(indices[i]);
  return indices.size();
}

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

// ---- the rules of a run (runs/runs.h), for the page

// The points of the score line of the recording in the `length` bytes at
// `text` (runs::Score); -1 when it has none, or is no recording.
extern "C" EMSCRIPTEN_KEEPALIVE int CaveScore(const char* text, size_t length) {
  runs::Recording recording;
  std::string problem, line;
  int points = -1;
  if (!runs::ParseRecording(Bytes(text, length), &recording, &problem) ||
      !runs::Score(recording, &points, &line))
    return -1;
  return points;
}

// The page's kept runs are the `count` numbers at `points`, each run's
// points (-1: no score), oldest first. Writes the indices of the runs that
// the keep policy drops (runs::RunsToDrop), ascending, over the first of
// them, and returns how many it wrote.
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveRunsToDrop(int32_t* points, size_t count) {
  return Ranked(runs::RunsToDrop(Ranks(points, count)), points);
}
// The same with the indices of the runs with a score, best first
// (runs::BestRuns).
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveBestRuns(int32_t* points, size_t count) {
  return Ranked(runs::BestRuns(Ranks(points, count)), points);
}

// Why the recording in the `length` bytes at `text` cannot go into a run
// link (runs::Linkable, worded by runs::RefusalLine); "" when it can. The
// answer lasts until the next text export's.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveLinkRefusal(const char* text, size_t length) {
  runs::LinkRefusal refusal;
  answer = runs::Linkable(Bytes(text, length), &refusal) ? "" : runs::RefusalLine(refusal);
  return answer.c_str();
}

// The fragment of a run link, "run=" and the base64url of the `length` raw
// DEFLATE bytes at `deflated` (runs::LinkFragment), which the page made with
// the browser's stream. The answer lasts until the next text export's.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveLinkFragment(const char* deflated, size_t length) {
  answer = runs::LinkFragment(Bytes(deflated, length));
  return answer.c_str();
}
