// Ghosts made from recordings, their words for the game, and race checks.
#include "runs/race/race.h"

#include <algorithm>

#include "game/game.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"

namespace race {
namespace {

constexpr std::string_view kWhatAGhostIs = "; a ghost is one player's game that ended in its box";
constexpr std::string_view kBase64Url =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Six calls to a character, the first in its highest bit (game/game.h).
std::string Bits(const std::vector<bool>& thrust) {
  std::vector<int> sextets((thrust.size() + 5) / 6, 0);
  for (size_t call = 0; call < thrust.size(); ++call)
    if (thrust[call]) sextets[call / 6] |= 1 << (5 - call % 6);
  std::string text;
  for (int sextet : sextets) text += kBase64Url[static_cast<size_t>(sextet)];
  return text;
}

// Whether player 1's key is down in `keys`, a snapshot's.
bool Thrusts(const std::vector<uint8_t>& keys) {
  return std::find(keys.begin(), keys.end(), PlayerKey(1)) != keys.end();
}

runs::Verdict Refused(const runs::Recording& recorded, std::string problem) {
  runs::Verdict verdict = runs::Judge(recorded, {});
  verdict.kind = runs::Verdict::Kind::kNotVerified;
  verdict.detail = std::move(problem);
  return verdict;
}

// Replays `recorded`, which Unfit lets through, on a headless display of its
// own, and judges it; a verified game's thrust goes into `ghost`.
runs::Verdict Fly(const runs::Recording& recorded, Ghost* ghost) {
  // The calls made before each snapshot, and before the box.
  std::vector<int32_t> callsBefore;
  int32_t calls = -1;
  headless::HeadlessDisplay display(recorded.tick);
  display.onSnapshot = [&](int) { callsBefore.push_back(ShipUpdates); };
  display.onMessageBox = [&](const headless::MessageBoxRecord&) {
    if (calls < 0) calls = ShipUpdates;
  };
  runs::Verdict verdict = recording::Check(display, &display, recorded);
  if (verdict.kind != runs::Verdict::Kind::kVerified) return verdict;
  *ghost = Ghost{recorded.tick, verdict.points, std::vector<bool>(std::max(calls, 0)),
                 runs::RecordingText(recorded)};
  // A verified game ended in its box after its last snapshot: every snapshot
  // was one of the recording's. A later snapshot before the same call is the
  // one that call read; the ghost thrusts with player 1's key.
  for (size_t k = 0; k < callsBefore.size() && k < recorded.snapshots.size(); ++k)
    if (callsBefore[k] < calls)
      ghost->thrust[static_cast<size_t>(callsBefore[k])] = Thrusts(recorded.snapshots[k]);
  return verdict;
}

}  // namespace

std::string Unfit(const runs::Recording& recorded) {
  std::string why;
  if (!recorded.ghosts.empty())
    why = "is a race";
  else if (recorded.players != 1)
    why = "is a game of " + std::to_string(recorded.players) + " players";
  else if (!recorded.ended)
    why = "was interrupted";
  else if (recorded.boxes.empty())
    why = "ended by Escape";
  else if (runs::Scores(recorded).size() != 1)
    why = "ended without a score";
  return why.empty() ? why : why + std::string(kWhatAGhostIs);
}

bool MakeGhost(const runs::Recording& recorded, Ghost* ghost, std::string* problem) {
  *problem = Unfit(recorded);
  if (!problem->empty()) return false;
  runs::Verdict verdict = Fly(recorded, ghost);
  if (verdict.kind == runs::Verdict::Kind::kVerified) return true;
  *problem = "does not replay as recorded: " + verdict.detail;
  return false;
}

bool ReadGhost(std::string_view text, Ghost* ghost, std::string* problem) {
  runs::Recording recorded;
  if (runs::ParseRecording(text, &recorded, problem)) return MakeGhost(recorded, ghost, problem);
  *problem = "is not a recording: " + *problem;
  return false;
}

bool Together(const std::vector<Ghost>& ghosts, std::string* problem) {
  if (ghosts.size() > static_cast<size_t>(runs::kMaxGhosts)) {
    *problem = "at most " + std::to_string(runs::kMaxGhosts) + " ghosts race at once, not " +
               std::to_string(ghosts.size());
    return false;
  }
  for (size_t n = 1; n < ghosts.size(); ++n)
    if (ghosts[n].tick != ghosts[0].tick) {
      *problem = "ghosts of different caves: ghost 1's tick is " + std::to_string(ghosts[0].tick) +
                 ", ghost " + std::to_string(n + 1) + "'s " + std::to_string(ghosts[n].tick);
      return false;
    }
  return true;
}

std::string GhostCommandLine(const std::vector<Ghost>& ghosts) {
  std::string words;
  for (const Ghost& ghost : ghosts)
    words += (words.empty() ? "--ghost " : " --ghost ") + std::to_string(ghost.points) + ":" +
             Bits(ghost.thrust);
  return words;
}

std::string CommandLine(int32_t players, const std::vector<Ghost>& ghosts) {
  std::string lineUp = runs::LineUpCommandLine(players), words = GhostCommandLine(ghosts);
  return lineUp + (lineUp.empty() || words.empty() ? "" : " ") + words;
}

std::vector<std::string> GhostTexts(const std::vector<Ghost>& ghosts) {
  std::vector<std::string> texts;
  for (const Ghost& ghost : ghosts) texts.push_back(ghost.text);
  return texts;
}

bool RaceGhosts(const runs::Recording& recorded, std::vector<Ghost>* ghosts, std::string* problem) {
  ghosts->assign(recorded.ghosts.size(), Ghost{});
  for (size_t n = 0; n < ghosts->size(); ++n)
    if (!ReadGhost(recorded.ghosts[n], &(*ghosts)[n], problem)) {
      *problem = "ghost " + std::to_string(n + 1) + " " + *problem;
      return false;
    }
  if (!Together(*ghosts, problem)) return false;
  if (ghosts->empty() || ghosts->front().tick == recorded.tick) return true;
  *problem = "the race's tick is " + std::to_string(recorded.tick) + ", its ghosts' " +
             std::to_string(ghosts->front().tick);
  return false;
}

bool FlyGhosts(const runs::Recording& recorded, std::string* words, runs::Verdict* refused) {
  std::vector<Ghost> ghosts;
  std::string problem;
  if (!RaceGhosts(recorded, &ghosts, &problem)) {
    *refused = Refused(recorded, problem);
    return false;
  }
  *words = GhostCommandLine(ghosts);
  return true;
}

std::string GuessGhosts(const runs::Recording& recorded) {
  std::vector<Ghost> ghosts(recorded.ghosts.size());
  for (size_t n = 0; n < ghosts.size(); ++n) {
    runs::Recording ghost;
    std::string problem, line;
    if (!runs::ParseRecording(recorded.ghosts[n], &ghost, &problem)) continue;
    runs::Score(ghost, &ghosts[n].points, &line);
    for (const std::vector<uint8_t>& keys : ghost.snapshots)
      ghosts[n].thrust.push_back(Thrusts(keys));
  }
  return GhostCommandLine(ghosts);
}

runs::Verdict Check(hosted::Display& display, hosted::ProcessHooks* hooks,
                    const runs::Recording& recorded, runs::Replayed* replayed) {
  std::string words;
  runs::Verdict refused;
  if (!FlyGhosts(recorded, &words, &refused)) return refused;
  return recording::Check(display, hooks, recorded, replayed, words);
}

Checked CheckAndMakeGhost(const runs::Recording& recorded) {
  Checked checked;
  checked.unfit = Unfit(recorded);
  if (checked.unfit.empty()) {
    Ghost ghost;
    checked.verdict = Fly(recorded, &ghost);
    if (checked.verdict.kind == runs::Verdict::Kind::kVerified)
      checked.ghost = GhostCommandLine({ghost});
    else
      checked.unfit = "does not replay as recorded: " + checked.verdict.detail;
  } else if (FlyGhosts(recorded, &checked.ghosts, &checked.verdict)) {
    headless::HeadlessDisplay display(recorded.tick);
    checked.verdict = recording::Check(display, &display, recorded, nullptr, checked.ghosts);
  }
  return checked;
}

}  // namespace race
