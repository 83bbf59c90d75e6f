// The page's run checker: a second program, on the headless display, that
// replays a recording as fast as the game can run, without drawing to the
// page, and says whether it ends as recorded. The page runs it in a module
// worker (site/check_worker.js) for the run links it opens; it checks as
// cave-replay --check and cave --watch do (recording::Check), and words the
// verdict as they do (runs::VerdictLine).
#include <emscripten.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "runs/runs.h"

namespace {

std::string verdict;  // the last check's, for the page to read

runs::Verdict Verdict(std::string_view text) {
  runs::Recording recorded;
  std::string problem;
  if (!runs::ParseRecording(text, &recorded, &problem)) return runs::NotARecording(problem);
  headless::HeadlessDisplay display(recorded.tick);
  return recording::Check(display, &display, recorded);
}

}  // namespace

// Checks the recording in the `length` bytes at `text` (the page's bounded
// copy of what a link holds) and returns the verdict, one line: "Verified:
// Player 1: 125 Punkte" (the score line of the recording's last box), or
// "Verified: no score (ended after N snapshots)" for a game without one;
// "Not verified: " and the first difference; "Not a recording: " and what
// is wrong with the text. The answer lasts until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveCheck(const char* text, size_t length) {
  verdict = runs::VerdictLine(Verdict(std::string_view(text, text != nullptr ? length : 0)));
  return verdict.c_str();
}
