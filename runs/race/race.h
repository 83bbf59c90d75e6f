// Races: a game played beside the ghosts of recorded games, for the programs,
// tools and pages that start a race or check one.
//
// A ghost is a recorded game flown again (game/game.h): a one-player game
// that ended in its box, which replays as recorded. Its thrust is found by
// replaying it on a headless display of its own: the game counts its
// UpdateShips calls (ShipUpdates), and the Up key of the last keyboard
// snapshot taken before call n is the ghost's thrust in call n (the
// snapshots of a pause are followed by another snapshot before the next
// call, so they are passed over). Nothing of where the ball was is kept or
// sampled: the race's game flies the ghost from its thrust alone, on the
// same cave (the same start tick), exactly as it flew.
//
// A race is recorded with its ghosts' recordings inside (runs/runs.h), so a
// check verifies every ghost, derives its thrust again, and replays the race
// with them. The game gets its ghosts on its command line, after the
// line-up: "--ghost POINTS:BITS" for each (GhostCommandLine).
//
// A ghost is refused, with a one-line problem that follows its name, when
//   is not a recording: line 3: '300' is not a scan code 0-255
//   is a race; a ghost is one player's game that ended in its box
//   is a game of 2 players; a ghost is ...       (the same words after each)
//   ended by Escape; ...
//   was interrupted; ...
//   ended without a score; ...                  (an error box)
//   does not replay as recorded: box 1 ...      (the check's words)
// and ghosts together when there are more than three, or when they fly in
// different caves: "ghosts of different caves: ghost 1's tick is 7, ghost
// 2's 9".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/process.h"
#include "runs/runs.h"

namespace race {

struct Ghost {
  uint32_t tick = 0;         // its cave
  int points = 0;            // the score its game ended with, as its box says it
  std::vector<bool> thrust;  // in each UpdateShips call of its game, from the first
  std::string text;          // its recording, as a race keeps it
};

// Why `recorded` cannot be a ghost, as far as its text says (the problems
// above but the check's); "" when it may be one.
std::string Unfit(const runs::Recording& recorded);
// Makes a ghost of `recorded`: checks it on a headless display of its own and
// derives its thrust; false with a problem (see above).
bool MakeGhost(const runs::Recording& recorded, Ghost* ghost, std::string* problem);
// The same for the recording `text`.
bool ReadGhost(std::string_view text, Ghost* ghost, std::string* problem);
// Whether `ghosts` may race together: at most runs::kMaxGhosts, on one cave;
// false with a problem.
bool Together(const std::vector<Ghost>& ghosts, std::string* problem);
// The ghosts of the race `recorded` (none for a plain game), made from the
// recordings it holds; false with a problem ("ghost 1 ended by Escape; ...",
// Together's, or "the race's tick is 8, its ghosts' 7" for a race that was
// not flown on its ghosts' cave).
bool RaceGhosts(const runs::Recording& recorded, std::vector<Ghost>* ghosts, std::string* problem);

// What hands `ghosts` to the game: "--ghost POINTS:BITS" for each, in
// order, one space apart.
std::string GhostCommandLine(const std::vector<Ghost>& ghosts);
// The game's command line of a race of `players` (the line-up's words,
// runs::LineUpCommandLine) and `ghosts`.
std::string CommandLine(int32_t players, const std::vector<Ghost>& ghosts);
// The ghosts' recordings, for the race's recording (RecordingDisplay::Record).
std::vector<std::string> GhostTexts(const std::vector<Ghost>& ghosts);

// Checks `recorded` as recording::Check does, on `display` with its `hooks`;
// a race's ghosts are made first (RaceGhosts, each on a headless display of
// its own) and handed to its game; a race whose ghosts cannot be made is not
// verified, with RaceGhosts' problem as the detail.
runs::Verdict Check(hosted::Display& display, hosted::ProcessHooks* hooks,
                    const runs::Recording& recorded, runs::Replayed* replayed = nullptr);

// ---- a check in halves, for a checker that runs them side by side
// Check is FlyGhosts, then the race's game replayed with its words
// (recording::Check with them after the line-up). The replay need not wait:
// it may start with GuessGhosts' words, and its verdict stands when
// FlyGhosts finds the same words; otherwise it is replayed again with
// FlyGhosts' words.

// The words that hand the race `recorded`'s ghosts to its game
// (GhostCommandLine of RaceGhosts; "" for a plain game); false with Check's
// verdict on a race whose ghosts cannot be made.
bool FlyGhosts(const runs::Recording& recorded, std::string* words, runs::Verdict* refused);
// The words FlyGhosts would find were every snapshot of each ghost's game
// followed by one UpdateShips call, as in every game that never paused: each
// snapshot's player 1 key one thrust bit, the points its box says. Nothing is
// replayed; a ghost that is no recording has no thrust.
std::string GuessGhosts(const runs::Recording& recorded);

// ---- a check that makes a ghost too
struct Checked {
  runs::Verdict verdict;  // Check's
  std::string ghost;      // its words as a ghost (GhostCommandLine), when it can be one
  std::string unfit;      // otherwise why not, MakeGhost's problem
  std::string ghosts;     // a race's: its ghosts' words, when they could be made
};
// Checks `recorded` as Check does, on headless displays of its own, and
// makes it a ghost in the same replay when it can be one.
Checked CheckAndMakeGhost(const runs::Recording& recorded);

}  // namespace race
