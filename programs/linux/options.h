// The Linux program's command line. The game itself ignores its command line,
// as it does on Windows; these options belong to the hosted program around
// it and are read before the game starts:
//
//   cave [--scale N] [--fullscreen] [--players N] [--mute] [--no-rumble] [--tick N]
//        [--record FILE] [--no-keep]
//   cave [--scale N] [--fullscreen] [--mute] [--no-rumble] --race WHAT... [--record FILE]
//        [--no-keep]
//   cave [--scale N] [--fullscreen] [--mute] [--no-rumble] --watch WHAT [--speed N]
//   cave --runs | --help | --version
//
// A bad command line gets one line naming the problem, then the usage, on
// standard error, and exit code 2, before any window opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace program {

struct Options {
  enum class Action { kPlay, kRuns, kHelp, kVersion };
  Action action = Action::kPlay;
  int32_t scale = 0;  // every logical pixel as scale x scale screen pixels; 0: the default
  bool fullscreen = false;
  int32_t players = 1;     // the line-up of a game played: 1 to 4
  bool mute = false;       // start with the sound muted
  bool rumble = true;      // a crash shakes its player's gamepad
  bool tickGiven = false;  // the tick count reads `tick` when the game starts
  uint32_t tick = 0;
  std::string record;  // the file to record the game into; empty: none
  bool keep = true;    // keep the game among the kept runs (kept_runs.h)
  std::string watch;   // what to show: a file, a run link, best, last or a rank; empty: none
  std::vector<std::string> races;  // whose ghosts to race (as `watch`), up to 3
  int speed = 1;                   // how many times as fast a watched game runs: 1, 2, 4 or 8
};

// Reads argv[1 ...]; false with a one-line `problem` when the command line is
// bad. --help and --version win over everything after them.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* problem);

// The usage, the keys and the options, as --help prints them.
std::string Usage();

// "cave <version>", as --version prints it.
std::string VersionLine();

}  // namespace program
