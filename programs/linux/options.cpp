#include "programs/linux/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "runs/runs.h"

namespace program {
namespace {

// A decimal whole number in min ... max, digits only.
bool Number(const std::string& text, uint64_t min, uint64_t max, uint64_t* out) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  uint64_t value = std::strtoull(text.c_str(), nullptr, 10);
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* problem) {
  *options = Options{};
  bool speedGiven = false, playersGiven = false;
  // The options without a value: each sets its switch.
  struct Switch {
    const char* name;
    bool* setting;
    bool value;
  };
  const Switch switches[] = {{"--fullscreen", &options->fullscreen, true},
                             {"--no-keep", &options->keep, false},
                             {"--mute", &options->mute, true},
                             {"--no-rumble", &options->rumble, false}};
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help") {
      options->action = Options::Action::kHelp;
      return true;
    }
    if (option == "--version") {
      options->action = Options::Action::kVersion;
      return true;
    }
    auto flag = std::find_if(std::begin(switches), std::end(switches),
                             [&](const Switch& s) { return option == s.name; });
    if (flag != std::end(switches)) {
      *flag->setting = flag->value;
      continue;
    }
    if (option == "--runs") {
      options->action = Options::Action::kRuns;
      continue;
    }
    if (option != "--scale" && option != "--tick" && option != "--record" && option != "--watch" &&
        option != "--speed" && option != "--players" && option != "--race") {
      *problem = "unknown option '" + option + "'";
      return false;
    }
    if (i + 1 >= argc) {
      *problem = option + " needs a value";
      return false;
    }
    std::string value = argv[++i];
    uint64_t number = 0;
    if (option == "--scale") {
      // The screen decides the largest scale; 1000 is far beyond any.
      if (!Number(value, 1, 1000, &number)) {
        *problem = "--scale needs a whole number from 1, got '" + value + "'";
        return false;
      }
      options->scale = static_cast<int32_t>(number);
    } else if (option == "--tick") {
      if (!Number(value, 0, UINT32_MAX, &number)) {
        *problem = "--tick needs a whole number from 0 to 4294967295, got '" + value + "'";
        return false;
      }
      options->tickGiven = true;
      options->tick = static_cast<uint32_t>(number);
    } else if (option == "--players") {
      if (!Number(value, 1, runs::kMaxPlayers, &number)) {
        *problem = "--players needs 1, 2, 3 or 4, got '" + value + "'";
        return false;
      }
      options->players = static_cast<int32_t>(number);
      playersGiven = true;
    } else if (option == "--speed") {
      if (value != "1" && value != "2" && value != "4" && value != "8") {
        *problem = "--speed needs 1, 2, 4 or 8, got '" + value + "'";
        return false;
      }
      options->speed = value[0] - '0';
      speedGiven = true;
    } else if (value.empty()) {
      *problem = option + " needs a file name";
      return false;
    } else if (option == "--race") {
      options->races.push_back(value);
    } else {
      (option == "--record" ? options->record : options->watch) = value;
    }
  }
  if (options->races.size() > static_cast<size_t>(runs::kMaxGhosts)) {
    *problem = "--race is given at most " + std::to_string(runs::kMaxGhosts) + " times";
    return false;
  }
  // A race is played by one player, on its ghosts' cave.
  const char* other = playersGiven                                ? "--players"
                      : options->tickGiven                        ? "--tick"
                      : !options->watch.empty()                   ? "--watch"
                      : options->action == Options::Action::kRuns ? "--runs"
                                                                  : nullptr;
  if (!options->races.empty() && other != nullptr) {
    *problem = std::string("--race cannot be combined with ") + other;
    return false;
  }
  if (!options->watch.empty() && !options->record.empty()) {
    *problem = "--record and --watch cannot be combined";
    return false;
  }
  if (options->action == Options::Action::kRuns &&
      (!options->record.empty() || !options->watch.empty() || options->tickGiven || speedGiven)) {
    *problem = "--runs cannot be combined with --record, --watch, --tick or --speed";
    return false;
  }
  if (speedGiven && options->watch.empty()) {
    *problem = "--speed needs --watch: it sets how fast a recording is shown";
    return false;
  }
  if (!options->watch.empty() && options->tickGiven) {
    *problem = "--tick cannot be combined with --watch: the recording gives the tick";
    return false;
  }
  if (playersGiven && (!options->watch.empty() || options->action == Options::Action::kRuns)) {
    *problem = std::string("--players cannot be combined with ") +
               (options->watch.empty() ? "--runs" : "--watch: the recording gives the line-up");
    return false;
  }
  return true;
}

std::string Usage() {
  return "usage: cave [--scale N] [--fullscreen] [--players N] [--mute] [--no-rumble]\n"
         "            [--tick N] [--record FILE] [--no-keep]\n"
         "       cave [--scale N] [--fullscreen] [--mute] [--no-rumble] --race WHAT...\n"
         "            [--record FILE] [--no-keep]\n"
         "       cave [--scale N] [--fullscreen] [--mute] [--no-rumble] --watch WHAT [--speed N]\n"
         "       cave --runs | --help | --version\n"
         "\n"
         "A ball hangs in a cave that scrolls past; gravity pulls it down. Stay in the\n"
         "open passage as long as you can: narrow passages score faster.\n"
         "\n"
         "Keys:\n"
         "  Up, Space         hold for thrust; so do a mouse button, a finger and a\n"
         "                    gamepad's A, B, X, Y, d-pad up and triggers\n"
         "  W, I, keypad 8    thrust of players 2, 3 and 4 (--players); with several\n"
         "                    players the first gamepad is player 1's, the second\n"
         "                    player 2's, and so on, and the window is split into a\n"
         "                    strip per player, player 1's leftmost, for mouse and\n"
         "                    fingers\n"
         "  P                 pause, and resume (when let go); a gamepad's Start\n"
         "  Escape            quit (when let go); a gamepad's Back\n"
         "  Alt+Enter, F11    switch between the window and full screen\n"
         "  M                 mute the sound, and unmute it; remembered for the next game\n"
         "  1, 2, 4, 8        while watching: show the game 1, 2, 4 or 8 times as fast\n"
         "\n"
         "Options:\n"
         "  --scale N         show every pixel as N x N pixels of the screen, from 1 to\n"
         "                    the largest that leaves a desktop of 320 x 240 (default:\n"
         "                    the largest that leaves 640 x 480)\n"
         "  --fullscreen      start in full screen\n"
         "  --players N       play with N players, 1 to 4 (default 1): player 1 is the\n"
         "                    red ball on Up, 2 the blue on W, 3 the yellow on I, 4 the\n"
         "                    green on the keypad's 8\n"
         "  --mute            start with the sound muted (M unmutes it)\n"
         "  --no-rumble       never shake a gamepad when its player's ball crashes\n"
         "  --tick N          play the cave of start tick N (0-4294967295)\n"
         "  --record FILE     record the game into FILE as it is played\n"
         "  --no-keep         do not keep this game among the kept runs\n"
         "  --runs            list the kept runs, best first, and exit\n"
         "  --watch WHAT      show a recorded game: WHAT is a recording FILE, a run link\n"
         "                    (https://...#run=..., #run=... or run=...), or a kept run:\n"
         "                    best, last (the latest) or N (its rank in --runs); a file\n"
         "                    of that name wins (--watch ./best always means the file)\n"
         "  --speed N         show the watched game N times as fast: 1, 2, 4 or 8\n"
         "  --race WHAT       race the ghost of a recorded game (WHAT as for --watch), on\n"
         "                    its cave: it flies beside you, translucent, as it flew;\n"
         "                    up to 3 ghosts of one cave, each a game of one player that\n"
         "                    ended in its box; the race is recorded and kept with them\n"
         "  --help            show this text\n"
         "  --version         show the version\n"
         "\n"
         "Every game played is kept (unless --no-keep) as a recording in\n"
         "$XDG_DATA_HOME/cave/runs/ (~/.local/share/cave/runs/ by default), named by\n"
         "its start time in UTC; the best " +
         std::to_string(runs::kKeepBest) + " by score and the latest " +
         std::to_string(runs::kKeepLatest) +
         " stay, the\n"
         "others go when the next game starts; each number of players keeps its own\n"
         "best. Files there that are not runs stay. Whether the sound is muted is\n"
         "kept in $XDG_CONFIG_HOME/cave/settings (~/.config/cave/settings by default).\n";
}

std::string VersionLine() { return std::string("cave ") + CAVE_VERSION; }

}  // namespace program
