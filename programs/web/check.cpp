// The page's run checker: a second program, on the headless display, that
// checks a run link by replaying its recording as fast as the game can run,
// without drawing to the page. The page runs it in a module worker
// (site/check_worker.js), which takes the link through the three steps of
// runs/runs.h: step 1 here (CaveLinkData), step 2 in the browser's
// DecompressionStream, never past CaveLinkLimit bytes, and step 3 here with
// the replay and its verdict (CaveCheck), checked as cave-replay --check and
// cave --watch check (race::Check, which checks a race's ghosts too).
//
// Every answer is the verdict as JSON (runs::VerdictJson): a link that holds
// no recording is "not a recording", with the refusal's words as its line.
// CaveCheck's answer says besides what the run can race with
// (race::CheckAndMakeGhost): "ghost", its words as a ghost, or "unfit", why
// it cannot be one; and a race's "ghosts", the words that fly its ghosts. A
// race may also be checked in the halves of runs/race/race.h, by two
// checkers side by side (CaveFlyGhosts, CaveGuessGhosts and CaveCheckFlown).
// An answer lasts until the next call.
#include <emscripten.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "runs/race/race.h"
#include "runs/runs.h"

namespace {

std::string deflated;  // step 1's bytes
std::string answer;

std::string_view Bytes(const char* text, size_t length) {
  return {text, text != nullptr ? length : 0};
}

// The verdict as JSON, with the `more` fields whose values are not empty,
// each a name and its text.
const char* Answer(const runs::Verdict& verdict,
                   std::initializer_list<std::pair<const char*, std::string_view>> more = {}) {
  answer = runs::VerdictJson(verdict);
  answer.pop_back();  // its '}'
  for (const auto& [name, text] : more)
    if (!text.empty()) answer += std::string(",\"") + name + "\":" + runs::JsonString(text);
  answer += '}';
  return answer.c_str();
}

// The recording in the `length` bytes at `text`, or false with the answer.
bool Read(const char* text, size_t length, runs::Recording* recorded, const char** refused) {
  std::string problem;
  if (runs::ParseRecording(Bytes(text, length), recorded, &problem)) return true;
  *refused = Answer(runs::NotARecording(problem));
  return false;
}

const char* Refused(const runs::LinkRefusal& refusal) {
  return Answer(runs::NotARecording(runs::RefusalLine(refusal)));
}

}  // namespace

// Step 1: reads the run link in the `length` bytes at `link` (the page's
// address or its fragment "#run=..."). Returns 0 when it holds DEFLATE
// bytes, CaveDeflatedLength() of them at CaveDeflated() until the next call;
// otherwise the answer, the link refused.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveLinkData(const char* link, size_t length) {
  runs::LinkRefusal refusal;
  if (runs::RunLinkData(Bytes(link, length), &deflated, &refusal)) return nullptr;
  deflated.clear();
  return Refused(refusal);
}
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveDeflated() { return deflated.data(); }
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveDeflatedLength() { return deflated.size(); }

// Step 2, the browser's: the most bytes that the DEFLATE bytes may inflate
// to (runs::kRunLinkLimit).
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveLinkLimit() { return runs::kRunLinkLimit; }
// The answer when step 2 failed: the bytes inflate to more than the limit
// when `tooLarge`, or are no DEFLATE stream (the browser's streams say no
// more than that).
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveInflateRefused(int tooLarge) {
  using Kind = runs::LinkRefusal::Kind;
  return Refused({tooLarge != 0 ? Kind::kTooLarge : Kind::kBadDeflate, 0, 0, ""});
}

// Step 3 and the check: the answer for the `length` inflated bytes at `text`.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveCheck(const char* text, size_t length) {
  runs::Recording recorded;
  const char* refused = nullptr;
  if (!Read(text, length, &recorded, &refused)) return refused;
  race::Checked checked = race::CheckAndMakeGhost(recorded);
  return Answer(checked.verdict,
                {{"ghost", checked.ghost}, {"unfit", checked.unfit}, {"ghosts", checked.ghosts}});
}

// ---- a race checked in halves, the recording in the `length` bytes at `text`

// The first half (race::FlyGhosts): {"ghosts":WORDS} (WORDS "" for a plain
// game), or the verdict when the ghosts cannot be made.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveFlyGhosts(const char* text, size_t length) {
  runs::Recording recorded;
  const char* refused = nullptr;
  if (!Read(text, length, &recorded, &refused)) return refused;
  std::string words;
  runs::Verdict verdict;
  if (!race::FlyGhosts(recorded, &words, &verdict)) return Answer(verdict);
  answer = "{\"ghosts\":" + runs::JsonString(words) + "}";
  return answer.c_str();
}

// The ghosts' words that the second half may start with (race::GuessGhosts);
// "" for a plain game or no recording.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveGuessGhosts(const char* text, size_t length) {
  runs::Recording recorded;
  std::string problem;
  answer = runs::ParseRecording(Bytes(text, length), &recorded, &problem)
               ? race::GuessGhosts(recorded)
               : "";
  return answer.c_str();
}

// The second half: the verdict on the race replayed with the ghosts' words
// `ghosts` (a zero-terminated text), which stands when they are the first
// half's, and "unfit", why the run cannot be a ghost (race::Unfit).
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveCheckFlown(const char* text, size_t length,
                                                           const char* ghosts) {
  runs::Recording recorded;
  const char* refused = nullptr;
  if (!Read(text, length, &recorded, &refused)) return refused;
  headless::HeadlessDisplay display(recorded.tick);
  return Answer(recording::Check(display, &display, recorded, nullptr, ghosts ? ghosts : ""),
                {{"unfit", race::Unfit(recorded)}});
}
