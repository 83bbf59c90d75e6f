// The page's run checker: a second program, on the headless display, that
// replays a recording as fast as the game can run, without drawing to the
// page, and says whether it ends as recorded. The page runs it in a module
// worker (site/check_worker.js) for the run links it opens; it replays as
// cave-replay --check does.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hosted/dinput.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording.h"
#include "platform/hosted/process.h"

namespace {

std::string verdict;  // the last check's, for the page to read

// A reason taken from untrusted text, as one line of printable ASCII that a
// page can show: other bytes become '?', and a long one is cut.
std::string Printable(std::string_view text) {
  constexpr size_t kLongest = 200;
  std::string line;
  for (char c : text.substr(0, kLongest)) line += c >= ' ' && c <= '~' ? c : '?';
  return text.size() > kLongest ? line + "..." : line;
}

// The replay of `recorded` on the headless display: its keys, snapshot by
// snapshot, and Escape after the last one, as a player would end a game that
// goes on beyond the recording of an interrupted one.
recording::Replayed Replay(const recording::Recording& recorded) {
  headless::HeadlessDisplay display(recorded.tick);
  const size_t last = recorded.snapshots.size();
  display.SetKeyScript([&recorded, last](int snapshot, uint8_t state[256]) {
    const auto k = static_cast<size_t>(snapshot);
    if (snapshot >= 0 && k < last)
      for (uint8_t code : recorded.snapshots[k]) state[code] = 0x80;
    if (snapshot >= 0 && k == last) state[DIK_ESCAPE] = 0x80;
  });
  recording::Replayed replayed;
  replayed.exitCode = hosted::RunWinMain(display, &display);
  for (const headless::MessageBoxRecord& box : display.MessageBoxes())
    replayed.boxes.push_back({box.title, box.text});
  if (!display.MessageBoxes().empty())
    replayed.firstBoxSnapshot = display.MessageBoxes().front().snapshot;
  replayed.snapshots = display.Snapshots();
  return replayed;
}

std::string Verdict(std::string_view text) {
  recording::Recording recorded;
  std::string problem;
  if (!recording::ParseRecording(text, &recorded, &problem))
    return "Not a recording: " + Printable(problem);
  std::string difference = recording::FirstDifference(recorded, Replay(recorded));
  if (!difference.empty()) return "Not verified: " + Printable(difference);
  int points = 0;
  std::string line;
  if (recording::Score(recorded, &points, &line)) return "Verified: " + Printable(line);
  // A game left with Escape shows no score; nor does one that was interrupted.
  return std::string("Verified: no score (") + (recorded.ended ? "ended" : "interrupted") +
         " after " + std::to_string(recorded.snapshots.size()) + " snapshots)";
}

}  // namespace

// Checks the recording in the `length` bytes at `text` (the page's bounded
// copy of what a link holds) and returns the verdict, one line: "Verified:
// Player 1: 125 Punkte" (the score line of the recording's last box), or
// "Verified: no score (ended after N snapshots)" for a game without one;
// "Not verified: " and the first difference; "Not a recording: " and what
// is wrong with the text. The answer lasts until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveCheck(const char* text, size_t length) {
  verdict = Verdict(std::string_view(text, text != nullptr ? length : 0));
  return verdict.c_str();
}
