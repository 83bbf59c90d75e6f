// The process entry of the hosted program in a browser: the page calls
// CavePlay for every game, and the web display is installed, wrapped in the
// recording display so that the page can offer the game as a recording,
// while WinMain runs as a hosted process. CaveWatch shows a recording again
// the same way, the recording display playing it back. The line-up reaches
// the game as its command line ("--players N"), as on every platform, and so
// do a race's ghosts ("--ghost POINTS:BITS", runs/race/race.h), which the
// page has of the run checker, the program that replays their games. The
// page's rules of a run (its players and scores, which kept runs stay, a run
// link's fragment) are the runs library's, and the players' keys and colours
// the display's, through the exports at the end. The assists (CaveAssist)
// act on the games played, as cave's: the web display switches, the
// recording display slows the clock and names them in the recording.
#include <emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/keys/keys.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/web/web_display.h"
#include "platform/hosted/process.h"
#include "runs/runs.h"

namespace {

std::string lastRecording;                       // the recording of the game played last
std::vector<std::string> ghostTexts;             // the next game's ghosts' recordings
std::string ghostWords;                          // and the words that fly them
uint32_t ghostTick = 0;                          // and their cave
recording::RecordingDisplay* watched = nullptr;  // while CaveWatch runs
std::string answer;                              // the last text export's answer
runs::Assists assists;                           // the games' (CaveAssist)
// CaveRun's answer: the lists of points, and the assists at the end.
constexpr int kAssistsAt = 5 + runs::kMaxPlayers + runs::kMaxGhosts;
int32_t run[kAssistsAt + 1];

// The assists as one number for the page: the speed times two, plus one for
// press to switch (200: none); and back, a number that is none such being no
// assists.
int32_t AssistsCode(const runs::Assists& a) { return a.speed * 2 + (a.pressToSwitch ? 1 : 0); }
runs::Assists FromCode(int32_t code) {
  runs::Assists a{code % 2 == 1, code / 2};
  return runs::GameSpeed(a.speed) ? a : runs::Assists{};
}

std::string_view Bytes(const char* text, size_t length) {
  return {text, text != nullptr ? length : 0};
}

// The page's kept runs, oldest first, each its points (-1: no score), its
// line-up and its assists (AssistsCode).
std::vector<runs::RunRank> Ranks(const int32_t* kept, size_t count) {
  std::vector<runs::RunRank> ranks;
  for (size_t i = 0; kept != nullptr && i < count; ++i) {
    int32_t points = kept[3 * i], players = kept[3 * i + 1];
    ranks.push_back({static_cast<int64_t>(i), points >= 0, points >= 0 ? points : 0, players,
                     runs::AssistsText(FromCode(kept[3 * i + 2]))});
  }
  return ranks;
}

// The line-up `players`, or one player for a number outside 1 to kMaxPlayers.
int32_t LineUp(int32_t players) {
  return players >= 1 && players <= runs::kMaxPlayers ? players : 1;
}

// The game's command line: the line-up `players`, then the ghosts' `words`.
std::string CommandLine(int32_t players, std::string_view words) {
  std::string line = runs::LineUpCommandLine(players);
  if (!line.empty() && !words.empty()) line += ' ';
  return line.append(words);
}

// Writes `indices` over the first numbers at `points`, whence they came.
size_t Ranked(const std::vector<size_t>& indices, int32_t* points) {
  for (size_t i = 0; i < indices.size(); ++i) points[i] = static_cast<int32_t>(indices[i]);
  return indices.size();
}

}  // namespace

// Adds a ghost to the next game that CavePlay plays: the recording in the
// `length` bytes at `text`, and `words` ("--ghost POINTS:BITS", a
// zero-terminated text), which fly it as the run checker found them
// (race::CheckAndMakeGhost). Returns how many ghosts the next game has; -1,
// and nothing added, for a text that is no recording, words that are no
// ghost's, a ghost of another cave than those added before, or a ghost past
// runs::kMaxGhosts.
extern "C" EMSCRIPTEN_KEEPALIVE int CaveAddGhost(const char* text, size_t length,
                                                 const char* words) {
  runs::Recording recorded;
  std::string problem;
  std::string_view flown = words != nullptr ? words : "";
  if (ghostTexts.size() >= runs::kMaxGhosts || !flown.starts_with("--ghost ") ||
      flown.find(' ', 8) != std::string_view::npos ||
      !runs::ParseRecording(Bytes(text, length), &recorded, &problem) ||
      (!ghostTexts.empty() && recorded.tick != ghostTick))
    return -1;
  ghostTick = recorded.tick;
  ghostTexts.emplace_back(Bytes(text, length));
  ghostWords += (ghostWords.empty() ? "" : " ") + std::string(flown);
  return static_cast<int>(ghostTexts.size());
}

// Runs the program once with the tick count starting at `startTick` and
// `players` players (1 to 4; any other number is one), and records it;
// returns its exit code. With ghosts added since the last game it is a race
// on their cave, whatever `startTick`, its recording holding theirs. The page calls it through
// Asyncify (ccall with async), so it returns a promise there, settled when the program has ended.
// The web display holds the tick count at `startTick` until the game first reads the counter, so
// the recording's tick is the game's.
extern "C" EMSCRIPTEN_KEEPALIVE int CavePlay(uint32_t startTick, int32_t players) {
  players = LineUp(players);
  std::vector<std::string> texts = std::move(ghostTexts);
  std::string words = std::move(ghostWords);
  ghostTexts.clear();
  ghostWords.clear();
  if (!texts.empty()) startTick = ghostTick;
  web::WebDisplay display(startTick);
  display.SetPlayers(players);
  display.SetPressToSwitch(assists.pressToSwitch);
  recording::RecordingDisplay shown(display);
  // A slower clock runs from the start tick.
  if (assists.speed != 100) shown.SetStartTick(startTick);
  shown.SetGameSpeed(assists.speed);
  lastRecording.clear();
  runs::RecordingWriter writer;
  writer.KeepText();
  shown.Record(writer, startTick, players, texts, assists);
  int code = hosted::RunWinMain(shown, &shown, CommandLine(players, words).c_str());
  shown.Finish(code);
  lastRecording = writer.Text();
  return code;
}

// The assists of the games CavePlay plays from now on: `name` and `value` as
// the page's address gives them ("assist" "toggle", "game-speed" "50"; see
// runs::ReadAssist), one at a time; "" when taken, else why not, and the
// assists stay as they were. CaveNoAssists plays without any again.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveAssist(const char* name, const char* value) {
  std::string problem;
  answer = runs::ReadAssist(name ? name : "", value ? value : "", &assists, &problem)
               ? ""
               : std::string(name ? name : "") + " " + problem;
  return answer.c_str();
}
extern "C" EMSCRIPTEN_KEEPALIVE void CaveNoAssists() { assists = {}; }

// The recording of the game that CavePlay played last, as text; empty
// before the first game has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveRecording() { return lastRecording.c_str(); }

// Shows the recording in the `length` bytes at `text` on the page, with its
// line-up and a race's ghosts, flown by `ghosts` (their words, as the run
// checker found them; "" or null shows a race without them), at the game's
// own pace, the player's Escape still ending it and the digit keys 1, 2, 4
// and 8 setting the speed; returns the exit code, or -1 at once when the text
// is not a recording. Called through Asyncify, as CavePlay.
extern "C" EMSCRIPTEN_KEEPALIVE int CaveWatch(const char* text, size_t length, const char* ghosts) {
  runs::Recording played;
  std::string problem;
  if (text == nullptr || !runs::ParseRecording({text, length}, &played, &problem)) return -1;
  web::WebDisplay display(played.tick);
  recording::RecordingDisplay shown(display);
  shown.Play(played);
  watched = &shown;
  int code = hosted::RunWinMain(
      shown, &shown, CommandLine(played.players, ghosts != nullptr ? ghosts : "").c_str());
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

// The recording in the `length` bytes at `text` as the page keeps it, as
// numbers that last until the next call: its line-up, the points of its
// score (runs::Score; -1 when it has none, or is no recording), its tick
// (the bits of a uint32_t; 0 for no recording), how many players' points
// follow, and every player's (runs::Scores; no more than
// runs::kMaxPlayers); then how many ghosts' points follow, and each ghost's
// (a race's, runs::GhostScores; no more than runs::kMaxGhosts); and after
// the room for them, at kAssistsAt, its assists (AssistsCode).
extern "C" EMSCRIPTEN_KEEPALIVE const int32_t* CaveRun(const char* text, size_t length) {
  runs::Recording recording;
  std::string problem, line;
  int points = 0;
  bool read = runs::ParseRecording(Bytes(text, length), &recording, &problem);
  std::vector<runs::PlayerScore> scores, ghosts;
  if (read) {
    scores = runs::Scores(recording);
    ghosts = runs::GhostScores(recording);
  }
  run[0] = read ? recording.players : 1;
  run[1] = read && runs::Score(recording, &points, &line) ? points : -1;
  run[2] = read ? static_cast<int32_t>(recording.tick) : 0;
  // Each list as its count and its points, the ghosts' after the players'.
  auto list = [](const std::vector<runs::PlayerScore>& listed, size_t most, int32_t* at) {
    at[0] = static_cast<int32_t>(std::min(listed.size(), most));
    for (int32_t i = 0; i < at[0]; ++i) at[1 + i] = listed[static_cast<size_t>(i)].points;
    return at + 1 + at[0];
  };
  list(ghosts, runs::kMaxGhosts, list(scores, runs::kMaxPlayers, &run[3]));
  run[kAssistsAt] = AssistsCode(read ? recording.assists : runs::Assists{});
  return run;
}

// The page's kept runs are the `count` triples of numbers at `kept`, each
// run's points (-1: no score), its line-up and its assists (AssistsCode),
// oldest first. Writes the
// indices of the runs that the keep policy drops (runs::RunsToDrop),
// ascending, over the first of the numbers, and returns how many it wrote.
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveRunsToDrop(int32_t* kept, size_t count) {
  return Ranked(runs::RunsToDrop(Ranks(kept, count)), kept);
}
// The same with the indices of the runs with a score, best first
// (runs::BestRuns: by the best player's points, whatever the line-up).
extern "C" EMSCRIPTEN_KEEPALIVE size_t CaveBestRuns(int32_t* kept, size_t count) {
  return Ranked(runs::BestRuns(Ranks(kept, count)), kept);
}

// The thrust key of player `player` (1 first), as the KeyboardEvent.code
// that names it, and the colour of the player's ball, 0xRRGGBB
// (keys::kPlayers), for the page's words and colours; "" and -1 for a number
// that is no player's.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CavePlayerKey(int32_t player) {
  if (player < 1 || player > keys::kMaxPlayers) return "";
  for (const keys::Key& key : keys::KeyTable())
    if (key.scanCode == keys::kPlayers[player - 1].key && key.domCode != nullptr)
      return key.domCode;
  return "";
}
extern "C" EMSCRIPTEN_KEEPALIVE int32_t CavePlayerColour(int32_t player) {
  if (player < 1 || player > keys::kMaxPlayers) return -1;
  return static_cast<int32_t>(keys::kPlayers[player - 1].colour);
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
